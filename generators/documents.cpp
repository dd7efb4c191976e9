#include "documents.h"

#include <cstdio>

namespace gen {

namespace {

const char* const kWords[] = {
    "the", "a", "of", "and", "to", "in", "was", "he", "she", "it", "that", "with", "as", "for",
    "on", "at", "by", "from", "old", "river", "house", "light", "morning", "window", "garden",
    "letter", "road", "silence", "winter", "summer", "harbour", "lamp", "voice", "stranger",
    "bridge", "mountain", "village", "clock", "door", "evening", "rain", "field", "ship", "story",
    "walked", "listened", "remembered", "opened", "waited", "found", "carried", "watched", "said",
    "turned", "slowly", "quietly", "again", "never", "always", "perhaps", "beyond", "under",
    "across", "quiet", "bright", "narrow", "distant", "golden", "grey", "small", "long", "her",
    "his", "their", "every", "another", "little", "only", "still", "between", "towards", "while"};
constexpr size_t kWordCount = sizeof(kWords) / sizeof(kWords[0]);

std::string Sentence(Rng& rng) {
  int n = rng.Range(7, 19);
  std::string s;
  for (int i = 0; i < n; ++i) {
    std::string w = kWords[rng.Below(kWordCount)];
    if (i == 0) w[0] = static_cast<char>(w[0] - 'a' + 'A');
    if (!s.empty()) s += (i > 3 && i < n - 2 && rng.Chance(0.08)) ? ", " : " ";
    s += w;
  }
  return s + (rng.Chance(0.1) ? "?" : ".");
}

std::string XhtmlPage(const std::string& title, const std::string& body, bool styled) {
  std::string page =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
      "<!DOCTYPE html>\n"
      "<html xmlns=\"http://www.w3.org/1999/xhtml\" xmlns:epub=\"http://www.idpf.org/2007/ops\" "
      "xml:lang=\"en\" lang=\"en\">\n<head>\n<meta charset=\"utf-8\"/>\n<title>" +
      XmlEscape(title) + "</title>\n";
  if (styled) page += "<link rel=\"stylesheet\" type=\"text/css\" href=\"style.css\"/>\n";
  page += "</head>\n<body>\n" + body + "</body>\n</html>\n";
  return page;
}

std::string ChapterFile(size_t i) { return "chapter-" + std::to_string(i + 1) + ".xhtml"; }

// Keeps a PDF string to printable ASCII and escapes its delimiters.
std::string PdfString(const std::string& text) {
  std::string out = "(";
  for (unsigned char c : text) {
    if (c == '(' || c == ')' || c == '\\') {
      out += '\\';
      out += static_cast<char>(c);
    } else if (c >= 32 && c < 127) {
      out += static_cast<char>(c);
    } else if (c >= 0xC0) {
      out += '?';  // one mark for each non-ASCII character
    }
  }
  return out + ")";
}

std::vector<std::string> Wrap(const std::string& text, size_t width) {
  std::vector<std::string> lines;
  std::string line;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find(' ', start);
    if (end == std::string::npos) end = text.size();
    std::string word = text.substr(start, end - start);
    if (!line.empty() && line.size() + 1 + word.size() > width) {
      lines.push_back(line);
      line.clear();
    }
    if (!line.empty()) line += ' ';
    line += word;
    start = end + 1;
  }
  if (!line.empty()) lines.push_back(line);
  return lines;
}

}  // namespace

std::vector<std::string> MakeParagraphs(Rng& rng, int count) {
  std::vector<std::string> out;
  for (int p = 0; p < count; ++p) {
    std::string para;
    int sentences = rng.Range(3, 7);
    for (int s = 0; s < sentences; ++s) {
      if (!para.empty()) para += ' ';
      para += Sentence(rng);
    }
    out.push_back(para);
  }
  return out;
}

std::string MakeUrnUuid(Rng& rng) {
  uint64_t hi = rng.Next(), lo = rng.Next();
  hi = (hi & 0xFFFFFFFFFFFF0FFFull) | 0x0000000000004000ull;
  lo = (lo & 0x3FFFFFFFFFFFFFFFull) | 0x8000000000000000ull;
  char buf[64];
  std::snprintf(buf, sizeof buf, "urn:uuid:%08llx-%04llx-%04llx-%04llx-%012llx",
                static_cast<unsigned long long>(hi >> 32), static_cast<unsigned long long>((hi >> 16) & 0xFFFF),
                static_cast<unsigned long long>(hi & 0xFFFF), static_cast<unsigned long long>(lo >> 48),
                static_cast<unsigned long long>(lo & 0xFFFFFFFFFFFFull));
  return buf;
}

bool WriteEpubFolder(const std::string& folder, const BookText& book) {
  const std::string oebps = folder + "/OEBPS/";
  bool ok = WriteFile(folder + "/mimetype", "application/epub+zip");
  ok = ok && WriteFile(folder + "/META-INF/container.xml",
                       "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                       "<container version=\"1.0\" xmlns=\"urn:oasis:names:tc:opendocument:xmlns:container\">\n"
                       "  <rootfiles>\n"
                       "    <rootfile full-path=\"OEBPS/content.opf\" media-type=\"application/oebps-package+xml\"/>\n"
                       "  </rootfiles>\n"
                       "</container>\n");
  const bool cover = !book.cover_jpeg.empty();

  std::string manifest =
      "    <item id=\"nav\" href=\"nav.xhtml\" media-type=\"application/xhtml+xml\" properties=\"nav\"/>\n"
      "    <item id=\"ncx\" href=\"toc.ncx\" media-type=\"application/x-dtbncx+xml\"/>\n"
      "    <item id=\"css\" href=\"style.css\" media-type=\"text/css\"/>\n";
  std::string spine;
  if (cover) {
    manifest +=
        "    <item id=\"cover-image\" href=\"images/cover.jpg\" media-type=\"image/jpeg\" "
        "properties=\"cover-image\"/>\n"
        "    <item id=\"cover\" href=\"cover.xhtml\" media-type=\"application/xhtml+xml\"/>\n";
    spine += "    <itemref idref=\"cover\" linear=\"no\"/>\n";
  }
  std::string nav_list, ncx_points;
  for (size_t i = 0; i < book.chapters.size(); ++i) {
    const std::string id = "chapter-" + std::to_string(i + 1);
    const std::string title = XmlEscape(book.chapters[i].title);
    manifest += "    <item id=\"" + id + "\" href=\"" + ChapterFile(i) + "\" media-type=\"application/xhtml+xml\"/>\n";
    spine += "    <itemref idref=\"" + id + "\"/>\n";
    nav_list += "      <li><a href=\"" + ChapterFile(i) + "\">" + title + "</a></li>\n";
    ncx_points += "    <navPoint id=\"np-" + std::to_string(i + 1) + "\" playOrder=\"" + std::to_string(i + 1) +
                  "\">\n      <navLabel><text>" + title + "</text></navLabel>\n      <content src=\"" +
                  ChapterFile(i) + "\"/>\n    </navPoint>\n";

    std::string body = "<section epub:type=\"chapter\">\n<h1>" + title + "</h1>\n";
    for (const std::string& p : book.chapters[i].paragraphs) body += "<p>" + XmlEscape(p) + "</p>\n";
    body += "</section>\n";
    ok = ok && WriteFile(oebps + ChapterFile(i), XhtmlPage(book.chapters[i].title, body, true));
  }

  const std::string title = XmlEscape(book.title);
  std::string opf =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
      "<package xmlns=\"http://www.idpf.org/2007/opf\" version=\"3.0\" unique-identifier=\"book-id\" xml:lang=\"" +
      book.language +
      "\">\n"
      "  <metadata xmlns:dc=\"http://purl.org/dc/elements/1.1/\">\n"
      "    <dc:identifier id=\"book-id\">" +
      book.identifier + "</dc:identifier>\n    <dc:title>" + title + "</dc:title>\n    <dc:creator>" +
      XmlEscape(book.author) + "</dc:creator>\n    <dc:language>" + book.language +
      "</dc:language>\n    <dc:subject>" + XmlEscape(book.subject) +
      "</dc:subject>\n"
      "    <meta property=\"dcterms:modified\">2024-05-01T12:00:00Z</meta>\n" +
      (cover ? "    <meta name=\"cover\" content=\"cover-image\"/>\n" : "") +
      "  </metadata>\n  <manifest>\n" + manifest + "  </manifest>\n  <spine toc=\"ncx\">\n" + spine +
      "  </spine>\n</package>\n";
  ok = ok && WriteFile(oebps + "content.opf", opf);

  ok = ok && WriteFile(oebps + "nav.xhtml",
                       XhtmlPage("Contents",
                                 "<nav epub:type=\"toc\" id=\"toc\">\n<h1>Contents</h1>\n<ol>\n" + nav_list +
                                     "</ol>\n</nav>\n",
                                 true));
  ok = ok && WriteFile(oebps + "toc.ncx",
                       "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                       "<ncx xmlns=\"http://www.daisy.org/z3986/2005/ncx/\" version=\"2005-1\">\n"
                       "  <head>\n    <meta name=\"dtb:uid\" content=\"" +
                           book.identifier +
                           "\"/>\n    <meta name=\"dtb:depth\" content=\"1\"/>\n"
                           "    <meta name=\"dtb:totalPageCount\" content=\"0\"/>\n"
                           "    <meta name=\"dtb:maxPageNumber\" content=\"0\"/>\n  </head>\n"
                           "  <docTitle><text>" +
                           title + "</text></docTitle>\n  <navMap>\n" + ncx_points + "  </navMap>\n</ncx>\n");
  ok = ok && WriteFile(oebps + "style.css",
                       "body { font-family: serif; line-height: 1.45; margin: 0 5%; }\n"
                       "h1 { font-family: sans-serif; font-size: 1.4em; margin: 2em 0 1em; }\n"
                       "p { text-indent: 1.5em; margin: 0; }\n"
                       ".cover { text-align: center; margin: 0; padding: 0; }\n"
                       ".cover img { max-width: 100%; max-height: 100%; }\n");
  if (cover) {
    ok = ok && WriteFile(oebps + "images/cover.jpg", book.cover_jpeg);
    ok = ok && WriteFile(oebps + "cover.xhtml",
                         XhtmlPage(book.title,
                                   "<div class=\"cover\"><img src=\"images/cover.jpg\" alt=\"" + title +
                                       "\"/></div>\n",
                                   true));
  }
  return ok;
}

std::string MakePdf(const BookText& book) {
  // Pages: a title page, then the chapters in 11 pt lines on A4.
  const int kLinesPerPage = 52;
  std::vector<std::string> streams;
  {
    std::string s = "0.16 0.33 0.55 rg 0 700 595 142 re f\n";
    s += "0.95 0.62 0.20 rg 60 640 475 6 re f\n";
    s += "BT /F2 28 Tf 1 1 1 rg 60 760 Td " + PdfString(book.title) + " Tj ET\n";
    s += "BT /F1 16 Tf 0.2 0.2 0.2 rg 60 600 Td " + PdfString(book.author) + " Tj ET\n";
    // A small bar chart, so the first page is not only text.
    for (int b = 0; b < 6; ++b) {
      int height = 40 + (b * 37) % 120;
      s += "0." + std::to_string(3 + b) + " 0.5 0.7 rg " + std::to_string(80 + b * 70) + " 300 50 " +
           std::to_string(height) + " re f\n";
    }
    s += "BT /F1 10 Tf 0.4 0.4 0.4 rg 80 280 Td (Figure 1: readings by month) Tj ET\n";
    streams.push_back(s);
  }
  for (const Chapter& chapter : book.chapters) {
    std::vector<std::string> lines;
    for (const std::string& p : chapter.paragraphs) {
      for (const std::string& l : Wrap(p, 88)) lines.push_back(l);
      lines.push_back("");
    }
    size_t at = 0;
    bool first = true;
    while (at < lines.size() || first) {
      std::string s;
      int y = 780;
      if (first) {
        s += "BT /F2 18 Tf 0 0 0 rg 60 " + std::to_string(y) + " Td " + PdfString(chapter.title) + " Tj ET\n";
        y -= 40;
      }
      s += "BT /F1 11 Tf 0 0 0 rg 14 TL 60 " + std::to_string(y) + " Td\n";
      int room = first ? kLinesPerPage - 3 : kLinesPerPage;
      for (int n = 0; n < room && at < lines.size(); ++n, ++at) s += PdfString(lines[at]) + " '\n";
      s += "ET\n";
      streams.push_back(s);
      first = false;
    }
  }

  // Objects: 1 catalog, 2 page tree, 3 and 4 fonts, 5 info, then a page and
  // its content stream for each page.
  std::vector<std::string> objects;
  const size_t pages = streams.size();
  std::string kids;
  for (size_t i = 0; i < pages; ++i) kids += std::to_string(6 + 2 * i) + " 0 R ";
  objects.push_back("<< /Type /Catalog /Pages 2 0 R >>");
  objects.push_back("<< /Type /Pages /Kids [ " + kids + "] /Count " + std::to_string(pages) + " >>");
  objects.push_back("<< /Type /Font /Subtype /Type1 /BaseFont /Times-Roman /Encoding /WinAnsiEncoding >>");
  objects.push_back("<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica-Bold /Encoding /WinAnsiEncoding >>");
  objects.push_back("<< /Title " + PdfString(book.title) + " /Author " + PdfString(book.author) +
                    " /Subject " + PdfString(book.subject) + " /CreationDate (D:20240501120000Z) >>");
  for (size_t i = 0; i < pages; ++i) {
    objects.push_back("<< /Type /Page /Parent 2 0 R /MediaBox [0 0 595 842] /Resources << /Font << /F1 3 0 R /F2 4 0 R >> >> /Contents " +
                      std::to_string(7 + 2 * i) + " 0 R >>");
    objects.push_back("<< /Length " + std::to_string(streams[i].size()) + " >>\nstream\n" + streams[i] +
                      "endstream");
  }

  std::string pdf = "%PDF-1.4\n%\xE2\xE3\xCF\xD3\n";
  std::vector<size_t> offsets;
  for (size_t i = 0; i < objects.size(); ++i) {
    offsets.push_back(pdf.size());
    pdf += std::to_string(i + 1) + " 0 obj\n" + objects[i] + "\nendobj\n";
  }
  const size_t xref = pdf.size();
  pdf += "xref\n0 " + std::to_string(objects.size() + 1) + "\n0000000000 65535 f \n";
  for (size_t off : offsets) {
    char entry[32];
    std::snprintf(entry, sizeof entry, "%010zu 00000 n \n", off);
    pdf += entry;
  }
  pdf += "trailer\n<< /Size " + std::to_string(objects.size() + 1) + " /Root 1 0 R /Info 5 0 R >>\nstartxref\n" +
         std::to_string(xref) + "\n%%EOF\n";
  return pdf;
}

}  // namespace gen
