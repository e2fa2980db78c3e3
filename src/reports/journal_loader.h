#pragma once

#include <cstddef>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

// Loads a text file of the system (the electronic journal or the error file) for the journal
// viewer. The file's bytes become the viewer's text: CR is dropped, LF breaks the line, a byte
// below 32 shows as "~n~" with its value in decimal, every other byte stays as it is (cp1250;
// the window converts to Unicode). The text is the lines joined by '\n', the last line without
// one, so "A CR LF" gives "A\n": the line A and an empty line.
//
// A line longer than kJournalLineLimit characters goes on on the next display line, so a file
// with few or no line ends (CR only, binary) still loads in time proportional to its size.
//
// Loading runs in steps of a bounded number of bytes, so a window can load a large journal
// piece by piece from its event loop without freezing; the pieces added up are exactly the
// text a single load gives.

namespace kv {

inline constexpr size_t kJournalLineLimit = 4096;

// How many file bytes one Step reads by default: a few milliseconds of work.
inline constexpr size_t kJournalStepBytes = 256 * 1024;

class JournalLoader {
 public:
  // `missing_prefix` is message 93; a file that does not exist shows that message followed
  // by the path as its only line. A file that cannot be opened shows nothing.
  JournalLoader(const std::string& path, std::string_view missing_prefix);
  ~JournalLoader();
  JournalLoader(const JournalLoader&) = delete;
  JournalLoader& operator=(const JournalLoader&) = delete;

  // Reads and converts up to `max_bytes` more bytes of the file and returns the text they
  // added (valid until the next call). Returns an empty piece once done().
  std::string_view Step(size_t max_bytes = kJournalStepBytes);
  bool done() const { return file_ == nullptr; }
  // Whether the file existed but could not be opened, or reading stopped on an error before
  // its end. The viewer shows no box for it (it shows what was read); the window writes the
  // path to the error file.
  bool failed() const { return failed_; }

  // The whole text loaded so far (cp1250).
  const std::string& text() const { return text_; }

 private:
  void Close();

  std::FILE* file_ = nullptr;
  std::vector<unsigned char> chunk_;
  std::string text_;
  size_t column_ = 0;  // characters on the current display line
  bool failed_ = false;
};

// Loads the whole file at once.
std::string LoadJournalText(const std::string& path, std::string_view missing_prefix);

}  // namespace kv
