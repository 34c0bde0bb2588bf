// Classifying a file as text or binary from its first bytes, so that the text view never
// loads a binary file whole.
#pragma once

#include <string>

namespace kestrel::preview {

struct THeadSniff {
  bool binary = false;
  std::string head;  // UTF-8: the leading printable run of the first 31 bytes, trimmed
};

// Reads at most 32 bytes of `path` (UTF-8). A file is binary when one of its first 31 bytes is
// a control byte other than TAB, LF and CR, or when its printable start contains "%PDF". Files
// shorter than 32 bytes are always text. A file that cannot be opened or read, and anything
// that is not a regular file (a FIFO, socket, device or folder), gives "read error!" as binary.
THeadSniff SniffFileHead(const std::string& path);

// The classification of the first bytes of a file, as read (at most 32 bytes are looked at).
THeadSniff SniffHeadBytes(std::string_view bytes);

}  // namespace kestrel::preview
