#include "ZELSerialSites.h"

const ZELReportSite kZELSerialSites[kSiteCount] = {
    {L"ZELSerial::Connect", 118},   {L"ZELSerial::Connect", 134},   {L"ZELSerial::Connect", 142},
    {L"ZELSerial::Connect", 163},   {L"ZELSerial::ConnectEx", 213}, {L"ZELSerial::ConnectEx", 229},
    {L"ZELSerial::ConnectEx", 237}, {L"ZELSerial::ConnectEx", 252}, {L"ZELSerial::Receive", 365},
    {L"ZELSerial::OnReceive", 402}, {L"ZELSerial::Put", 487},       {L"ZELSerial::PutDelay", 531},
    {NULL, -1},
};
