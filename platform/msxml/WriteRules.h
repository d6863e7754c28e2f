// What a document may hold so that what is written loads again: data no
// markup can carry is refused when it is set, and a name the target
// encoding cannot spell is refused when the document is written (a
// character reference is not allowed in a name).
#pragma once

#include <libxml/tree.h>

#include <string>

namespace zel_msxml {

// Raises _com_error (E_INVALIDARG) when value cannot be the data of a node
// of type (a comment, a processing instruction named target, a CDATA
// section): "--" in a comment, "?>" in an instruction, "]]>" in a section,
// or an "xml" declaration that is not version, encoding and standalone.
void CheckNodeData(xmlElementType type, const xmlChar* target, const std::string& value);

// Raises _com_error (E_FAIL, last error ERROR_NO_UNICODE_TRANSLATION) when
// a name, an instruction, a comment or a CDATA section of doc holds a
// character that encoding cannot write.
void CheckEncodable(xmlDocPtr doc, const std::string& encoding);

}  // namespace zel_msxml
