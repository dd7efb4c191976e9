// Books made by code: unpacked EPUB 3 folders and small PDF files.
#ifndef PORTIVA_GENERATORS_DOCUMENTS_H
#define PORTIVA_GENERATORS_DOCUMENTS_H

#include <string>
#include <vector>

#include "gen_util.h"

namespace gen {

struct Chapter {
  std::string title;
  std::vector<std::string> paragraphs;
};

struct BookText {
  std::string title;
  std::string author;
  std::string subject;
  std::string language = "en";
  std::string identifier;  // urn:uuid:...
  std::string cover_jpeg;  // may be empty
  std::vector<Chapter> chapters;
};

// Plausible English-looking prose: sentences of common words.
std::vector<std::string> MakeParagraphs(Rng& rng, int count);
// A deterministic urn:uuid (version 4 layout) from rng.
std::string MakeUrnUuid(Rng& rng);

// Writes the files of an unpacked EPUB (mimetype, META-INF/container.xml,
// the package document, navigation and chapters) into folder.
bool WriteEpubFolder(const std::string& folder, const BookText& book);

// A PDF of the book, one chapter a page or more; its text is kept ASCII so
// the standard fonts show all of it.
std::string MakePdf(const BookText& book);

}  // namespace gen

#endif
