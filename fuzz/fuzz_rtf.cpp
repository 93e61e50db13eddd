// Reads any bytes as RTF, writes the result in every clipboard form, and checks that
// the RTF written reads back as the same document.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "richtext/rich_text.h"
#include "richtext/rtf_reader.h"

namespace {

using kolvane::RichText;

// The document with every run's face spelt out (runs without one are shown and written
// in the default face) and runs merged afresh, so that documents that look the same
// compare equal.
RichText Canonical(const RichText& document) {
  RichText out;
  for (const kolvane::Paragraph& paragraph : document.paragraphs) {
    kolvane::StartParagraph(out);
    std::size_t offset = 0;
    for (const kolvane::TextRun& run : paragraph.runs) {
      kolvane::CharFormat format = run.format;
      const bool named =
          format.font >= 0 && static_cast<std::size_t>(format.font) < document.fonts.size();
      format.font = kolvane::FontIndex(
          out, named ? std::string_view(document.fonts[format.font]) : kolvane::kDefaultFaceName);
      kolvane::AppendText(out, std::u16string_view(paragraph.text).substr(offset, run.length),
                          format);
      offset += run.length;
    }
    if (offset != paragraph.text.size()) std::abort();  // runs must cover the text
  }
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const RichText document = kolvane::ReadRtf(bytes);
  if (document.paragraphs.empty()) std::abort();
  const std::string rtf = kolvane::WriteRtf(document);
  (void)kolvane::WriteHtml(document);
  (void)kolvane::PlainText(document);
  if (!(Canonical(kolvane::ReadRtf(rtf)) == Canonical(document))) std::abort();
  return 0;
}
