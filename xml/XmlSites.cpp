#include "XmlSites.h"

namespace {
// The lines are the ones callers already match records by; new sites take
// numbers of their own between their neighbours'.
const ZELReportSite kSites[kXmlSiteCount] = {
    {L"ZELXml::InitXMLDom", 62},
    {L"ZELXml::InitXMLDom", 72},
    {L"ZELXml::OnFileOpen", 97},
    {L"ZELXml::OnFileSave", 107},
    {L"ZELXml::Load", 140},
    {L"ZELXml::Load2", 153},
    {L"ZELXml::Copy", 164},
    {L"ZELXml::CreateRoot", 265},
    {L"ZELXml::GetRootNode", 201},
    {L"ZELXml::GetNode", 355},
    {L"ZELXml::GetNode", 384},
    {L"ZELXml::GetChildNode", 443},
    {L"ZELXml::GetChildNode", 479},
    {L"ZELXml::GetNodeCount", 602},
    {L"ZELXml::GetNodeCount", 655},
    {L"ZELXml::GetChildCount", 558},
    {L"ZELXml::GetNodeAttribute", 821},
    {L"ZELXml::GetNodeXML", 870},
    {L"ZELXml::GetNodeText", 890},
    {L"ZELXml::GetChildNodeXML", 960},
    {L"ZELXml::GetChildNodeText", 980},
    {L"ZELXml::SetNodeAttribute", 1116},
    {L"ZELXml::SetNodeText", 1160},
    {L"ZELXml::SetChildNodeText", 1250},
    {L"ZELXml::RemoveNode", 1540},
    {L"ZELXml::RemoveChildNode", 1560},
    {L"ZELXml::AddNode", 1347},
    {L"ZELXml::AddChildNode", 1428},
    {L"ZELXml::AddSingleNode", 1482},
    {L"ZELXml::RemoveNodeAll", 1584},
    {L"ZELXml::RemoveChildNodeAll", 1674},
    {L"ZELXml::RemoveChildNodeAll", 1708},
};
}  // namespace

const ZELReportSite& ZelXmlSiteOf(ZelXmlSite site) { return kSites[site]; }
