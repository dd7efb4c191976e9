#include "plist_scan.h"

#include <stdlib.h>
#include <string.h>

namespace makerlib {

namespace {

enum class Token { kStart, kEmpty, kEnd, kText, kCdata, kDone, kError };

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

bool StartsWith(std::string_view text, std::string_view prefix) {
  return text.compare(0, prefix.size(), prefix) == 0;
}

// Markup and text in document order. Comments, processing instructions and
// the document type declaration are passed over.
class Reader {
 public:
  Reader(std::string_view xml, TextSpan span)
      : data_(xml.data()), pos_(span.begin), end_(span.end) {}

  Token Next() {
    for (;;) {
      if (pos_ >= end_) return Token::kDone;
      begin_ = pos_;
      const std::string_view rest(data_ + pos_, end_ - pos_);
      if (rest[0] != '<') {
        const void* open = memchr(rest.data(), '<', rest.size());
        const size_t length =
            open ? static_cast<size_t>(static_cast<const char*>(open) - rest.data())
                 : rest.size();
        text_ = rest.substr(0, length);
        pos_ += length;
        return Token::kText;
      }
      if (rest.size() < 2) return Token::kError;
      if (rest[1] == '/') return EndTag(rest);
      if (rest[1] == '?') {
        if (!SkipPast(rest, 2, "?>")) return Token::kError;
        continue;
      }
      if (rest[1] == '!') {
        if (StartsWith(rest, "<!--")) {
          if (!SkipPast(rest, 4, "-->")) return Token::kError;
          continue;
        }
        if (StartsWith(rest, "<![CDATA[")) {
          const size_t close = rest.find("]]>", 9);
          if (close == std::string_view::npos) return Token::kError;
          text_ = rest.substr(9, close - 9);
          pos_ += close + 3;
          return Token::kCdata;
        }
        if (!SkipDeclaration(rest)) return Token::kError;
        continue;
      }
      return StartTag(rest);
    }
  }

  size_t token_begin() const { return begin_; }
  size_t position() const { return pos_; }
  std::string_view name() const { return name_; }
  std::string_view text() const { return text_; }

 private:
  bool SkipPast(std::string_view rest, size_t from, std::string_view close) {
    const size_t at = rest.find(close, from);
    if (at == std::string_view::npos) return false;
    pos_ += at + close.size();
    return true;
  }

  // <!DOCTYPE ...>, whose internal subset may hold ">" inside brackets.
  bool SkipDeclaration(std::string_view rest) {
    int depth = 0;
    char quote = 0;
    for (size_t i = 2; i < rest.size(); ++i) {
      const char c = rest[i];
      if (quote != 0) {
        if (c == quote) quote = 0;
      } else if (c == '"' || c == '\'') {
        quote = c;
      } else if (c == '[') {
        ++depth;
      } else if (c == ']') {
        --depth;
      } else if (c == '>' && depth <= 0) {
        pos_ += i + 1;
        return true;
      }
    }
    return false;
  }

  size_t NameLength(std::string_view rest, size_t from) const {
    size_t i = from;
    while (i < rest.size() && !IsSpace(rest[i]) && rest[i] != '/' &&
           rest[i] != '>' && rest[i] != '<')
      ++i;
    return i - from;
  }

  Token EndTag(std::string_view rest) {
    const size_t length = NameLength(rest, 2);
    if (length == 0) return Token::kError;
    name_ = rest.substr(2, length);
    size_t i = 2 + length;
    while (i < rest.size() && IsSpace(rest[i])) ++i;
    if (i >= rest.size() || rest[i] != '>') return Token::kError;
    pos_ += i + 1;
    return Token::kEnd;
  }

  // Attributes are passed over; a quoted value may hold ">" or "/".
  Token StartTag(std::string_view rest) {
    const size_t length = NameLength(rest, 1);
    if (length == 0) return Token::kError;
    name_ = rest.substr(1, length);
    char quote = 0;
    for (size_t i = 1 + length; i < rest.size(); ++i) {
      const char c = rest[i];
      if (quote != 0) {
        if (c == quote) quote = 0;
      } else if (c == '"' || c == '\'') {
        quote = c;
      } else if (c == '<') {
        return Token::kError;
      } else if (c == '>') {
        pos_ += i + 1;
        return rest[i - 1] == '/' ? Token::kEmpty : Token::kStart;
      }
    }
    return Token::kError;
  }

  const char* data_;
  size_t pos_;
  size_t end_;
  size_t begin_ = 0;
  std::string_view name_;
  std::string_view text_;
};

// Moves past the end tag of the element whose start tag was just read.
bool SkipElement(Reader* reader, std::string_view name) {
  std::vector<std::string_view> open{name};
  while (!open.empty()) {
    switch (reader->Next()) {
      case Token::kStart:
        open.push_back(reader->name());
        break;
      case Token::kEnd:
        if (reader->name() != open.back()) return false;
        open.pop_back();
        break;
      case Token::kDone:
      case Token::kError:
        return false;
      default:
        break;
    }
  }
  return true;
}

// The next token that is not blank text; other text is an error.
Token NextMarkup(Reader* reader) {
  for (;;) {
    const Token token = reader->Next();
    if (token == Token::kCdata) return Token::kError;
    if (token != Token::kText) return token;
    for (char c : reader->text())
      if (!IsSpace(c)) return Token::kError;
  }
}

void AppendUtf8(unsigned long code, std::string* out) {
  if (code < 0x80) {
    out->push_back(static_cast<char>(code));
  } else if (code < 0x800) {
    out->push_back(static_cast<char>(0xc0 | (code >> 6)));
    out->push_back(static_cast<char>(0x80 | (code & 0x3f)));
  } else if (code < 0x10000) {
    out->push_back(static_cast<char>(0xe0 | (code >> 12)));
    out->push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3f)));
    out->push_back(static_cast<char>(0x80 | (code & 0x3f)));
  } else {
    out->push_back(static_cast<char>(0xf0 | (code >> 18)));
    out->push_back(static_cast<char>(0x80 | ((code >> 12) & 0x3f)));
    out->push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3f)));
    out->push_back(static_cast<char>(0x80 | (code & 0x3f)));
  }
}

// Character data with the predefined and numeric references replaced.
bool AppendDecoded(std::string_view text, std::string* out) {
  size_t i = 0;
  while (i < text.size()) {
    const size_t amp = text.find('&', i);
    if (amp == std::string_view::npos) {
      out->append(text.substr(i));
      break;
    }
    out->append(text.substr(i, amp - i));
    const size_t semi = text.find(';', amp);
    if (semi == std::string_view::npos) return false;
    const std::string_view entity = text.substr(amp + 1, semi - amp - 1);
    if (entity == "amp") {
      out->push_back('&');
    } else if (entity == "lt") {
      out->push_back('<');
    } else if (entity == "gt") {
      out->push_back('>');
    } else if (entity == "quot") {
      out->push_back('"');
    } else if (entity == "apos") {
      out->push_back('\'');
    } else if (entity.size() >= 2 && entity[0] == '#') {
      const bool hex = entity[1] == 'x';
      const std::string digits(entity.substr(hex ? 2 : 1));
      if (digits.empty() || digits.size() > 8) return false;
      char* end = nullptr;
      const unsigned long code = strtoul(digits.c_str(), &end, hex ? 16 : 10);
      if (*end != '\0' || code == 0 || code > 0x10ffff ||
          (code >= 0xd800 && code <= 0xdfff))
        return false;
      AppendUtf8(code, out);
    } else {
      return false;
    }
    i = semi + 1;
  }
  return true;
}

// The text of a key element whose start tag was just read.
bool ReadKey(Reader* reader, std::string* key) {
  for (;;) {
    switch (reader->Next()) {
      case Token::kText:
        if (!AppendDecoded(reader->text(), key)) return false;
        break;
      case Token::kCdata:
        key->append(reader->text());
        break;
      case Token::kEnd:
        return reader->name() == "key";
      default:
        return false;
    }
  }
}

// Reads the entries of a dict whose start tag was just read, up to its end
// tag. With root, the dict value of root's inner key is split too.
bool ReadEntries(Reader* reader, std::vector<DictEntry>* entries,
                 std::string_view inner_key, RootDict* root) {
  for (;;) {
    Token token = NextMarkup(reader);
    if (token == Token::kEnd) return reader->name() == "dict";
    if (token != Token::kStart || reader->name() != "key") return false;
    DictEntry entry;
    if (!ReadKey(reader, &entry.key)) return false;
    token = NextMarkup(reader);
    // A key without a value at the end is dropped, as the parser does.
    if (token == Token::kEnd) return reader->name() == "dict";
    if ((token != Token::kStart && token != Token::kEmpty) ||
        reader->name() == "key")
      return false;
    entry.value_element.assign(reader->name());
    entry.value.begin = reader->token_begin();
    const bool inner = root != nullptr && entry.key == inner_key;
    if (inner) {
      root->has_inner = entry.value_element == "dict";
      root->inner_entries.clear();
    }
    if (token == Token::kStart) {
      if (inner && root->has_inner) {
        if (!ReadEntries(reader, &root->inner_entries, inner_key, nullptr))
          return false;
      } else if (!SkipElement(reader, reader->name())) {
        return false;
      }
    }
    entry.value.end = reader->position();
    if (inner) root->inner = entry.value;
    entries->push_back(std::move(entry));
  }
}

}  // namespace

bool ScanRootDict(std::string_view xml, std::string_view inner_key, RootDict* root) {
  *root = RootDict();
  Reader reader(xml, TextSpan{0, xml.size()});
  bool in_plist = false;
  for (;;) {
    const Token token = reader.Next();
    if (token == Token::kText) continue;
    if (token != Token::kStart && token != Token::kEmpty) return false;
    if (token == Token::kStart && !in_plist && reader.name() == "plist") {
      in_plist = true;
      continue;
    }
    if (reader.name() != "dict") return false;
    if (token == Token::kEmpty) return true;
    return ReadEntries(&reader, &root->entries, inner_key, root);
  }
}

}  // namespace makerlib
