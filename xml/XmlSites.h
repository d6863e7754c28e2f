// Where ZELXml reports from: one entry per report its records carry. The
// record's "what" is the operation's name, the function name without the
// class prefix, unless the site says otherwise.
#pragma once

#include "ZELFailure.h"

enum ZelXmlSite : int {
  kXmlInitDom,          // CreateInstance of the document
  kXmlInitDomProps,     // the document's parser settings
  kXmlOpen,
  kXmlSave,
  kXmlLoad,
  kXmlLoad2,
  kXmlCopy,
  kXmlCreateRoot,
  kXmlGetRootNode,
  kXmlGetNodeByOrder,
  kXmlGetNodeByPath,
  kXmlGetChildByOrder,
  kXmlGetChildByPath,
  kXmlGetNodeCount,
  kXmlGetChildNodeCount,
  kXmlGetChildCount,
  kXmlGetNodeAttribute,
  kXmlGetNodeXML,       // the path forms: the node a path finds
  kXmlGetNodeText,
  kXmlGetChildNodeXML,
  kXmlGetChildNodeText,
  kXmlSetNodeAttribute,
  kXmlSetNodeText,
  kXmlSetChildNodeText,
  kXmlRemoveNode,
  kXmlRemoveChildNode,
  kXmlAddNode,
  kXmlAddChildNode,
  kXmlAddSingleNode,
  kXmlRemoveNodeAll,
  kXmlRemoveChildren,
  kXmlRemoveChildNodeAll,
  kXmlSiteCount
};

const ZELReportSite& ZelXmlSiteOf(ZelXmlSite site);
