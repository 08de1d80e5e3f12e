#pragma once
// How the document reader tells a file's encoding without a byte-order mark: the UTF-8 test of
// its bytes and the encoding its start declares.
#include <cstddef>
#include <string>
#include <string_view>

namespace xml {

// XML white space: tab, line feed, carriage return and space.
inline bool IsSpace(char16_t c) { return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r'; }

// Bytes up to the end or a NUL pass when every lead byte has its following bytes, each with
// the top bit set; a byte 11111xxx fails.
bool PassesUtf8Test(const unsigned char* p, size_t n);

// The encoding the document declares at its start: the "encoding" attribute of a leading xml
// declaration or, in an html document, a meta element inside head. The search stops at the
// first element that is neither html, head nor meta. Empty when none is found.
std::u16string DeclaredEncoding(std::u16string_view head);

}  // namespace xml
