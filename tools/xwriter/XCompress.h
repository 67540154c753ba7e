// The compressed X encodings: a binary or text file from XWriter turned into "bzip" or "tzip".
// The body after the 16-byte header goes into MSZIP blocks of at most 32 KiB ("CK" and a raw
// deflate stream), each deflated with the block before it as its dictionary, after the file's
// whole size. Needs zlib.
#pragma once

#include <string>
#include <vector>

namespace xwriter {

// The compressed file, or an empty vector with `error` set (input that is no X file, or zlib failing).
std::vector<unsigned char> compress(const std::vector<unsigned char>& plain, std::string& error);

}  // namespace xwriter
