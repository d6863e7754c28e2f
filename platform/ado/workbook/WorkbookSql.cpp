#include "platform/ado/workbook/WorkbookSql.h"

#include "platform/ado/AdoErrors.h"
#include "platform/ado/workbook/SheetCells.h"
#include "platform/oleaut/Bstr.h"

#include <cctype>
#include <cstring>
#include <strings.h>

namespace zelado {
namespace workbook {

namespace {

[[noreturn]] void Bad(const std::string& why) { Raise(ErrorKind::Syntax, "syntax error in the workbook statement: " + why); }

class Tokens {
public:
  explicit Tokens(std::string text) : m_s(std::move(text)) {}
  void Blank() {
    while (m_at < m_s.size() && std::isspace(static_cast<unsigned char>(m_s[m_at]))) ++m_at;
  }
  bool End() {
    Blank();
    return m_at >= m_s.size() || (m_s[m_at] == ';' && m_s.find_first_not_of(" \t\r\n;", m_at) == std::string::npos);
  }
  bool Word(const char* w) {
    Blank();
    size_t n = std::strlen(w);
    if (m_s.size() - m_at < n || strncasecmp(m_s.c_str() + m_at, w, n) != 0) return false;
    if (m_at + n < m_s.size() && (std::isalnum(static_cast<unsigned char>(m_s[m_at + n])) || m_s[m_at + n] == '_')) return false;
    m_at += n;
    return true;
  }
  bool Char(char c) {
    Blank();
    if (m_at < m_s.size() && m_s[m_at] == c) {
      ++m_at;
      return true;
    }
    return false;
  }
  // A name: quoted by [] ` ' or ", or a run of other characters.
  std::string Name() {
    Blank();
    if (m_at >= m_s.size()) Bad("a name is missing");
    char open = m_s[m_at];
    char close = open == '[' ? ']' : open == '`' || open == '\'' || open == '"' ? open : 0;
    if (close) {
      size_t end = m_s.find(close, m_at + 1);
      if (end == std::string::npos) Bad("a quoted name is not closed");
      std::string name = m_s.substr(m_at + 1, end - m_at - 1);
      m_at = end + 1;
      // A sheet name with spaces may come quoted inside: ['My Sheet$'].
      if (name.size() >= 2 && name.front() == '\'' && name.back() == '\'') name = name.substr(1, name.size() - 2);
      return name;
    }
    size_t start = m_at;
    while (m_at < m_s.size() && !std::isspace(static_cast<unsigned char>(m_s[m_at])) && !std::strchr(",();", m_s[m_at])) ++m_at;
    if (start == m_at) Bad("a name is missing");
    return m_s.substr(start, m_at - start);
  }
  // Skips a column type, with its size in brackets.
  void SkipType() {
    int depth = 0;
    while (!End()) {
      char c = m_s[m_at];
      if (depth == 0 && (c == ',' || c == ')')) return;
      if (c == '(') ++depth;
      if (c == ')') --depth;
      ++m_at;
    }
  }

private:
  std::string m_s;
  size_t m_at = 0;
};

// "B12" -> column 1, row 11.
bool CellRef(const std::string& s, uint32_t& row, uint32_t& col) {
  size_t i = 0;
  while (i < s.size() && std::isalpha(static_cast<unsigned char>(s[i]))) ++i;
  int c = ColumnOfLetters(s.substr(0, i));
  if (c < 0 || i == s.size() || i + 7 < s.size()) return false;
  uint64_t r = 0;
  for (size_t k = i; k < s.size(); ++k) {
    if (!std::isdigit(static_cast<unsigned char>(s[k]))) return false;
    r = r * 10 + (s[k] - '0');
  }
  if (r < 1 || r > kMaxRows) return false;
  row = static_cast<uint32_t>(r - 1);
  col = static_cast<uint32_t>(c);
  return true;
}

}  // namespace

std::string ColumnLetters(uint32_t col) {
  std::string s;
  for (uint32_t n = col + 1; n > 0; n = (n - 1) / 26) s.insert(s.begin(), static_cast<char>('A' + (n - 1) % 26));
  return s;
}

int ColumnOfLetters(const std::string& letters) {
  if (letters.empty() || letters.size() > 2) return -1;
  int n = 0;
  for (char c : letters) {
    if (!std::isalpha(static_cast<unsigned char>(c))) return -1;
    n = n * 26 + (std::toupper(static_cast<unsigned char>(c)) - 'A' + 1);
  }
  return n >= 1 && n <= static_cast<int>(kMaxCols) ? n - 1 : -1;
}

Statement ParseStatement(const std::wstring& wide) {
  Tokens t(ZelUtf8FromWide(wide.data(), wide.size()));
  Statement st;
  if (t.Word("SELECT")) {
    if (!t.Char('*')) {
      do st.columns.push_back(t.Name());
      while (t.Char(','));
    }
    if (!t.Word("FROM")) Bad("FROM is missing");
    st.table = t.Name();
  } else if (t.Word("DROP")) {
    if (!t.Word("TABLE")) Bad("DROP names no TABLE");
    st.kind = Statement::DropTable;
    st.table = t.Name();
  } else if (t.Word("CREATE")) {
    if (!t.Word("TABLE")) Bad("CREATE names no TABLE");
    st.kind = Statement::CreateTable;
    st.table = t.Name();
    if (!t.Char('(')) Bad("the new table has no column list");
    do {
      st.columns.push_back(t.Name());
      t.SkipType();
    } while (t.Char(','));
    if (!t.Char(')')) Bad("the column list is not closed");
  } else {
    Raise(ErrorKind::Syntax, L"the workbook engine runs SELECT, CREATE TABLE and DROP TABLE statements only");
  }
  if (!t.End()) Bad("unexpected text after the table name");
  return st;
}

TableRef ParseTable(const std::string& table) {
  TableRef ref;
  size_t dollar = table.rfind('$');
  ref.sheet = table.substr(0, dollar);
  if (ref.sheet.empty()) Bad("the table names no sheet");
  if (dollar == std::string::npos || dollar + 1 == table.size()) return ref;
  std::string range = table.substr(dollar + 1);
  size_t colon = range.find(':');
  std::string a = range.substr(0, colon), b = colon == std::string::npos ? a : range.substr(colon + 1);
  if (!CellRef(a, ref.row0, ref.col0) || !CellRef(b, ref.row1, ref.col1) || ref.row1 < ref.row0 || ref.col1 < ref.col0)
    Bad("'" + range + "' is no range of the sheet's grid");
  ref.whole = false;
  return ref;
}

std::string TableName(const TableRef& ref) {
  if (ref.whole) return ref.sheet + "$";
  return ref.sheet + "$" + ColumnLetters(ref.col0) + std::to_string(ref.row0 + 1) + ":" + ColumnLetters(ref.col1) +
         std::to_string(ref.row1 + 1);
}

}  // namespace workbook
}  // namespace zelado
