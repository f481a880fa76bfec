// The first step of reading a DXF: the file as a stream of (group code, value) pairs, each with
// the line its code stands on (0 in a binary DXF), 999 comments left out. Checks that codes are
// integers and that the file does not end inside a pair; values are read as text and converted on
// demand with the same care.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace sulkor::host {

struct GroupPair {
  int code = 0;
  std::string value;  // trimmed of surrounding blanks
  int line = 0;       // 1-based line of the group code
};

class GroupReader {
 public:
  // Splits the whole text (or binary DXF) into pairs; throws DxfError naming file for a file
  // that is binary but not DXF, a group code that is not an integer or a file that ends after a
  // code without its value.
  GroupReader(std::string_view text, std::string_view file);

  bool AtEnd() const { return next_ >= pairs_.size(); }
  // The next pair without taking it; throws DxfError ("unexpected end of file") at the end.
  const GroupPair& Peek() const;
  const GroupPair& Take();
  // The line of the last pair taken (the last line of the file when none remain).
  int Line() const;
  const std::string& File() const { return file_; }

  // The value of a pair as a finite number within kDxfMaxCoordinate, or as an integer; throws
  // DxfError naming file and line otherwise.
  double Number(const GroupPair& pair) const;
  int Integer(const GroupPair& pair) const;
  [[noreturn]] void Fail(const GroupPair& pair, std::string_view problem) const;

 private:
  std::vector<GroupPair> pairs_;
  std::size_t next_ = 0;
  std::string file_;
  int lastLine_ = 0;
};

}  // namespace sulkor::host
