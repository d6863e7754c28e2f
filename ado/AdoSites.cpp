#include "AdoSites.h"

namespace {
const ZELReportSite kSites[kAdoSiteCount] = {
    {L"ZELAdo::Connect", 119},
    {L"ZELAdo::Connect", 142},
    {L"ZELAdo::CreateCommand", 234},
    {L"ZELAdo::OpenSchema", 286},
    {L"ZELAdo::OpenRecordset", 493},
    {L"ZELAdo::OpenTable", 525},
    {L"ZELAdo::ExecuteSQL", 581},
    {L"ZELAdo::ExecuteSQL", 605},
    {L"ZELAdo::ExecuteStoreProc", 642},
    {L"ZELAdo::ExecuteBindingQuery", 668},
    {L"ZELAdo::BeginTrans", 695},
    {L"ZELAdo::CommitTrans", 721},
    {L"ZELAdo::Rollback", 747},
    {L"ZELAdo::AppendParam", 820},
    {L"ZELAdo::GetParamValue", 853},
    {L"ZELAdo::IsOupputParam", 881},
    {L"ZELAdo::GetRecordCount", 907},
    {L"ZELAdo::GetFieldCount", 932},
    {L"ZELAdo::GetFieldList", 977},
    {L"ZELAdo::GetFieldValue", 1117},
    {L"ZELAdo::BlobToFile", 1260},
    {L"ZELAdo::BlobToFile", 1301},
    {L"ZELAdo::MoveFirst", 1345},
    {L"ZELAdo::MovePrevious", 1376},
    {L"ZELAdo::MoveNext", 1407},
    {L"ZELAdo::MoveLast", 1438},
    {L"ZELAdo::AddNew", 1466},
    {L"ZELAdo::Update", 1493},
    {L"ZELAdo::Delete", 1519},
    {L"ZELAdo::SetFieldValue", 1567},
    {L"ZELAdo::FileToBlob", 1680},
    {L"ZELAdo::FileToBlob", 1693},
    {L"ZELAdo::FileToBlob", 1721},
    {L"ZELAdo::FileToBlob", 1746},
};
}  // namespace

const ZELReportSite& ZelAdoSiteOf(ZelAdoSite site) { return kSites[site]; }
