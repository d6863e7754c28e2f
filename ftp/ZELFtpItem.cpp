#include "ZELFtpItem.h"

#include <ctime>

ZELFtpItem::ZELFtpItem() : m_dwSize(0), m_nType(TYPE_NONE), m_tmLastWrite(::time(nullptr)) {}

ZELFtpItem::ZELFtpItem(const ZELFtpItem& src) = default;

ZELFtpItem::~ZELFtpItem() = default;

ZELFtpItem& ZELFtpItem::operator=(const ZELFtpItem& src) = default;

void ZELFtpItem::Clear() { *this = ZELFtpItem(); }
