// The ? parameter markers of a statement text, found the way the engine
// tokenizes it, so that a statement given the wrong number of values is
// refused before any part of it runs, and an engine that numbers its
// placeholders ($1, $2 ...) rewrites exactly the same positions. Every
// engine's text goes through here, in the engine's own dialect.
#pragma once

#include <cstddef>
#include <functional>
#include <string>

namespace zelado {

// Where the dialects differ in what is not code:
//  - Generic (the embedded engine, the workbook engine): '...', "...",
//    `...` and [...] quote; block comments do not nest.
//  - Postgres: '...' (E'...' with backslash escapes) and "..." quote, [ is a
//    subscript; block comments nest.
// Both: -- comments, $$...$$ and $tag$...$tag$ bodies.
enum class SqlDialect { Generic, Postgres };

// Past the piece that starts at s[i] when it is not code (a literal, a
// quoted name, a comment, a dollar-quoted body); i itself when code starts
// there. An unclosed piece runs to the end of the text, as it does for the
// engine, which then refuses the text.
template <class Char>
size_t PastNonCode(const std::basic_string<Char>& s, size_t i, SqlDialect dialect);

// Calls at(i) with the index in text of each ? that is a marker.
template <class Char>
void ForEachMarker(const std::basic_string<Char>& text, SqlDialect dialect, const std::function<void(size_t)>& at);

size_t CountMarkers(const std::wstring& text, SqlDialect dialect);

// Raises InvalidArgument (adErrInvalidArgument) when values is not the
// number of markers the text holds.
void CheckMarkers(size_t markers, size_t values);

}  // namespace zelado
