// How a message shows text that the program did not write itself: a field
// of an input file, a file name, an argument. Such text can hold bytes a
// terminal acts on (ESC ] 0 ; title BEL retitles the window, ESC [ 2 J
// clears it), so every byte that is not printable is shown as \xHH.
//
// Printable means printable ASCII (0x20 to 0x7e) and well-formed UTF-8 of a
// character that draws something: a file called "données.csv" reads as
// itself. Escaped are the C0 controls, DEL, the C1 controls (as raw bytes or
// as UTF-8), bytes that are not well-formed UTF-8, and the invisible
// characters that change how the rest of a line appears (no-break and
// zero-width spaces, soft hyphen, line and paragraph separators, the
// bidirectional marks and overrides, the byte-order mark).
//
// The rule is idempotent: the output of printable() is left as it is by
// printable(), so text escaped where it was read (a quoted field) can pass
// the program's printing of messages again unchanged.
#pragma once

#include <string>
#include <string_view>

namespace d2dcli {

// text with every byte that is not printable written as \xHH.
std::string printable(std::string_view text);

// A field of an input as a message quotes it: between single quotes, cut
// after 40 bytes ("...'"), printable() and with every backslash written as
// \x5c, so that an escape seen in the message always stands for one byte
// of the file.
std::string quoted(std::string_view field);

}  // namespace d2dcli
