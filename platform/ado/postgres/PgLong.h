// Long binary values of server rows, moved in pieces. A read takes the
// value's first piece with its row, then the rest by key, a piece at a time
// in binary form; a write stages the pieces in a temporary table of the
// session and the statement gathers them on the server.
#pragma once

#include "platform/ado/Provider.h"
#include "platform/ado/postgres/PgKeys.h"

#include <cstddef>
#include <string>

namespace zelado {
namespace pg {

// 4 MB a piece: large enough that a round trip per piece costs little,
// small enough that libpq's buffers stay small beside the value.
constexpr size_t kPiece = 4u << 20;

// A row version's identity (it changes with every update of the row), so
// pieces read by separate statements are known to be of one value.
extern const char kRowVersion[];

// The keys of the rows a statement reads, and nothing else: the statement
// (its select list starting at `at`) with the key columns of `t` added as
// zel_k0, zel_k1, ... becomes a subquery that only those are read from.
std::string KeysOnlyText(const std::string& sql, size_t at, const TableKey& t);

inline bool IsLong(const Value& v) { return v.kind == Value::Blob && v.bytes.size() > kPiece; }

}  // namespace pg
}  // namespace zelado
