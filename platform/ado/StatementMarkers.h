// The ? parameter markers of a statement text, counted the way an engine
// tokenizes it, so that a statement given the wrong number of values is
// refused before any part of it runs. Every engine's text goes through
// here; an engine that rewrites the markers (as $1, $2 ...) can walk the
// same positions with ForEachMarker.
#pragma once

#include <cstddef>
#include <functional>
#include <string>

namespace zelado {

// Calls at(i) with the index in text of each ? that is a marker: outside
// string literals ('...'), quoted names ("...", [...], `...`), dollar-quoted
// bodies ($$...$$, $tag$...$tag$) and comments (-- to the end of the line,
// /* ... */). An unclosed literal, name or comment runs to the end of the
// text, as it does for the engine, which then refuses the text.
void ForEachMarker(const std::wstring& text, const std::function<void(size_t)>& at);
size_t CountMarkers(const std::wstring& text);

// Raises InvalidArgument (adErrInvalidArgument) when values is not the
// number of markers the text holds.
void CheckMarkers(size_t markers, size_t values);

}  // namespace zelado
