// A connection of the workbook engine to one .xls file. Ranges of sheets
// are tables (SheetTable); rows are written through to the file at each
// Update, so the file on disk always holds what the recordset shows, and
// every write replaces the file atomically: a crash leaves the old file or
// the new one. A connection to a file that does not exist yet makes it at
// the first CREATE TABLE.
#pragma once

#include "platform/ado/Provider.h"
#include "platform/ado/workbook/Workbook.h"

namespace zelado {
namespace workbook {

std::unique_ptr<Session> OpenSession(const std::wstring& path, bool readOnly);

class WorkbookSession : public Session {
public:
  WorkbookSession(std::string path, std::unique_ptr<Workbook> wb, bool readOnly)
      : m_path(std::move(path)), m_wb(std::move(wb)), m_readOnly(readOnly) {}

  Capabilities GetCapabilities() const override;
  std::unique_ptr<RowStream> Execute(const std::wstring& text, const std::vector<Value>& params, bool keyed) override;
  int64_t RowsAffected() override { return m_changes; }
  void Fetch(const std::wstring& table, const std::vector<Column>& columns, const int64_t* keys, size_t count,
             std::vector<Row>& rows) override;
  int64_t InsertRow(const std::wstring& table, const std::vector<std::wstring>& columns, const Row& values) override;
  void UpdateRow(const std::wstring& table, int64_t key, const std::vector<std::wstring>& columns,
                 const Row& values) override;
  void DeleteRow(const std::wstring& table, int64_t key) override;
  void BeginTransaction() override;
  void CommitTransaction() override;
  void RollbackTransaction() override;
  std::unique_ptr<RowStream> Schema(SchemaEnum schema, const std::vector<Value>& restrictions) override;

private:
  Workbook& Book();
  void Writable() const;
  void Write(size_t sheet, uint32_t row, uint32_t col, const Value& v);
  // Writes the workbook to its file; raises with the reason when it cannot.
  void Save();

  std::string m_path;
  std::unique_ptr<Workbook> m_wb;  // none while the file does not exist
  bool m_readOnly;
  int64_t m_changes = -1;
};

}  // namespace workbook
}  // namespace zelado
