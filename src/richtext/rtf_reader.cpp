#include "richtext/rtf_reader.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>
#include <limits>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "text/iconv_converter.h"

namespace kolvane {
namespace {

// Groups nested deeper than this are skipped with their content: real documents nest
// a few dozen levels, and the limit bounds the state stack.
constexpr std::size_t kMaxGroupDepth = 1024;
constexpr std::size_t kMaxFontNameLength = 256;
// Font-table entries kept; further ones are dropped, since each costs far more memory
// than the few bytes of input that make it.
constexpr std::size_t kMaxFonts = 4096;
// Distinct code pages a document may name before the rest are read as code page 1252;
// each costs an iconv descriptor and, for double-byte pages, a 128 KiB table.
constexpr std::size_t kMaxCodePages = 16;
constexpr int kAnsiCodePage = 1252;
constexpr int kChineseCodePage = 936;
constexpr char16_t kReplacement = 0xFFFD;
constexpr std::int16_t kDefaultFontSize = 24;
constexpr std::int16_t kMaxFontSize = 3276;  // 1638 points, the largest size word processors take
constexpr std::uint32_t kAutomaticEntry = 0xFFFFFFFF;
constexpr std::int32_t kUnregistered = -2;

bool IsLetter(char c) { return c >= 'a' && c <= 'z'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Double-byte code pages and the lead bytes that start a two-byte character.
bool IsLeadByte(int code_page, std::uint8_t b) {
  switch (code_page) {
    case 932: return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
    case 936:
    case 949:
    case 950: return b >= 0x81 && b <= 0xFE;
    default: return false;
  }
}

// Trail bytes of those code pages all lie in 0x40..0xFE; a lead byte followed by
// anything else stands alone (as U+FFFD) and the byte after it is read afresh.
bool IsTrailByte(std::uint8_t b) { return b >= 0x40 && b != 0x7F && b != 0xFF; }

// The code page that a font's \fcharset selects; 0 where the document's code page holds.
int CodePageOfCharset(std::int32_t charset) {
  switch (charset) {
    case 0: return 1252;
    case 2: return 1252;  // symbol fonts: their bytes are shown as they stand
    case 77: return 10000;
    case 128: return 932;
    case 129: return 949;
    case 134: return 936;
    case 136: return 950;
    case 161: return 1253;
    case 162: return 1254;
    case 163: return 1258;
    case 177: return 1255;
    case 178: return 1256;
    case 186: return 1257;
    case 204: return 1251;
    case 222: return 874;
    case 238: return 1250;
    case 254: return 437;
    case 255: return 850;
    default: return 0;
  }
}

// Bytes of one Windows code page to UTF-16 through iconv, each single byte converted
// up front and each double-byte pair once, on first sight: a picture's document
// repeats one character millions of times.
class CodePageDecoder {
 public:
  // Null when iconv does not know the code page.
  static std::unique_ptr<CodePageDecoder> Open(int code_page) {
    char name[24];
    if (code_page == 10000) {
      std::snprintf(name, sizeof name, "MACINTOSH");
    } else {
      std::snprintf(name, sizeof name, "CP%d", code_page);
    }
    std::unique_ptr<CodePageDecoder> decoder(new CodePageDecoder(code_page, name));
    if (!decoder->converter_.Ok()) return nullptr;
    decoder->ConvertSingles();
    return decoder;
  }

  bool IsLead(std::uint8_t b) const { return IsLeadByte(code_page_, b); }
  char16_t Single(std::uint8_t b) const { return singles_[b]; }

  // The character of a lead byte and a trail byte (IsTrailByte).
  char16_t Pair(std::uint8_t lead, std::uint8_t trail) {
    auto& row = pairs_[lead];
    if (!row) row = std::make_unique<std::array<char16_t, 256>>();  // zeroed
    char16_t& unit = (*row)[trail];
    if (unit == 0) {
      const char bytes[2] = {static_cast<char>(lead), static_cast<char>(trail)};
      unit = Convert(std::string_view(bytes, 2));
    }
    return unit;
  }

 private:
  CodePageDecoder(int code_page, const char* charset)
      : code_page_(code_page), converter_("UTF-16LE", charset) {}

  void ConvertSingles() {
    // ASCII is the same in every code page we read.
    for (int b = 0; b < 0x80; ++b) singles_[b] = static_cast<char16_t>(b);
    for (int b = 0x80; b < 0x100; ++b) {
      const char byte = static_cast<char>(b);
      singles_[b] =
          IsLead(static_cast<std::uint8_t>(b)) ? kReplacement : Convert(std::string_view(&byte, 1));
    }
  }

  // One character, or U+FFFD when the bytes form none (or one beyond the BMP, which
  // these code pages do not reach). Bytes are read one character at a time, so a letter
  // that iconv holds back for a combining mark that might follow forms none either.
  char16_t Convert(std::string_view bytes) {
    std::string utf16;
    if (!converter_.Convert(bytes, utf16, HeldBack::kDrop) || utf16.size() != 2) {
      return kReplacement;
    }
    const char16_t unit = static_cast<char16_t>(static_cast<std::uint8_t>(utf16[0]) |
                                                (static_cast<std::uint8_t>(utf16[1]) << 8));
    return unit == 0 ? kReplacement : unit;
  }

  int code_page_;
  IconvConverter converter_;
  std::array<char16_t, 256> singles_{};
  // By lead byte, then trail byte; 0 = not converted yet. Rows come on first use, so a
  // document of a few characters costs a few hundred bytes, not the whole code page.
  std::array<std::unique_ptr<std::array<char16_t, 256>>, 256> pairs_;
};

enum class Word : std::uint8_t {
  kSkippedDestination,
  kFontTable,
  kColourTable,
  kAnsi,
  kAnsiCodePage,
  kMac,
  kPc,
  kPca,
  kDefaultFont,
  kFont,
  kFontCharset,
  kFontCodePage,
  kFontSize,
  kColour,
  kPlain,
  kParagraph,
  kCharacter,
  kBold,
  kItalic,
  kUnderline,
  kUnderlineNone,
  kUnicode,
  kFallbackLength,
  kBinary,
  kRed,
  kGreen,
  kBlue,
};

struct WordEntry {
  std::string_view name;
  Word word;
  char16_t character = 0;  // for kCharacter
};

// The control words the reader acts on; every other word is ignored. Destinations
// whose content is not document text are skipped whole.
// clang-format off
constexpr WordEntry kWords[] = {
    {"aftncn", Word::kSkippedDestination}, {"aftnsep", Word::kSkippedDestination},
    {"aftnsepc", Word::kSkippedDestination}, {"annotation", Word::kSkippedDestination},
    {"ansi", Word::kAnsi}, {"ansicpg", Word::kAnsiCodePage},
    {"atnauthor", Word::kSkippedDestination}, {"atnid", Word::kSkippedDestination},
    {"author", Word::kSkippedDestination}, {"b", Word::kBold},
    {"bin", Word::kBinary}, {"bkmkend", Word::kSkippedDestination},
    {"bkmkstart", Word::kSkippedDestination}, {"blue", Word::kBlue},
    {"bullet", Word::kCharacter, 0x2022}, {"cell", Word::kCharacter, u'\t'},
    {"cf", Word::kColour}, {"colorschememapping", Word::kSkippedDestination},
    {"colortbl", Word::kColourTable}, {"comment", Word::kSkippedDestination},
    {"company", Word::kSkippedDestination}, {"cpg", Word::kFontCodePage},
    {"datastore", Word::kSkippedDestination}, {"deff", Word::kDefaultFont},
    {"doccomm", Word::kSkippedDestination}, {"emdash", Word::kCharacter, 0x2014},
    {"emspace", Word::kCharacter, 0x2003}, {"endash", Word::kCharacter, 0x2013},
    {"enspace", Word::kCharacter, 0x2002}, {"f", Word::kFont},
    {"falt", Word::kSkippedDestination}, {"fcharset", Word::kFontCharset},
    {"filetbl", Word::kSkippedDestination}, {"fldinst", Word::kSkippedDestination},
    {"fonttbl", Word::kFontTable}, {"footer", Word::kSkippedDestination},
    {"footerf", Word::kSkippedDestination}, {"footerl", Word::kSkippedDestination},
    {"footerr", Word::kSkippedDestination}, {"footnote", Word::kSkippedDestination},
    {"fs", Word::kFontSize}, {"ftncn", Word::kSkippedDestination},
    {"ftnsep", Word::kSkippedDestination}, {"ftnsepc", Word::kSkippedDestination},
    {"generator", Word::kSkippedDestination}, {"green", Word::kGreen},
    {"header", Word::kSkippedDestination}, {"headerf", Word::kSkippedDestination},
    {"headerl", Word::kSkippedDestination}, {"headerr", Word::kSkippedDestination},
    {"i", Word::kItalic}, {"info", Word::kSkippedDestination},
    {"keywords", Word::kSkippedDestination}, {"latentstyles", Word::kSkippedDestination},
    {"ldblquote", Word::kCharacter, 0x201C}, {"line", Word::kCharacter, 0x2028},
    {"listoverridetable", Word::kSkippedDestination}, {"listtable", Word::kSkippedDestination},
    {"lquote", Word::kCharacter, 0x2018}, {"mac", Word::kMac},
    {"nonshppict", Word::kSkippedDestination}, {"objdata", Word::kSkippedDestination},
    {"object", Word::kSkippedDestination}, {"operator", Word::kSkippedDestination},
    {"page", Word::kParagraph}, {"panose", Word::kSkippedDestination},
    {"par", Word::kParagraph}, {"pc", Word::kPc},
    {"pca", Word::kPca}, {"pgdsctbl", Word::kSkippedDestination},
    {"pict", Word::kSkippedDestination}, {"plain", Word::kPlain},
    {"private", Word::kSkippedDestination}, {"qmspace", Word::kCharacter, 0x2005},
    {"rdblquote", Word::kCharacter, 0x201D}, {"red", Word::kRed},
    {"revtbl", Word::kSkippedDestination}, {"row", Word::kParagraph},
    {"rquote", Word::kCharacter, 0x2019}, {"rsidtbl", Word::kSkippedDestination},
    {"sect", Word::kParagraph}, {"stylesheet", Word::kSkippedDestination},
    {"subject", Word::kSkippedDestination}, {"tab", Word::kCharacter, u'\t'},
    {"tc", Word::kSkippedDestination}, {"template", Word::kSkippedDestination},
    {"themedata", Word::kSkippedDestination}, {"title", Word::kSkippedDestination},
    {"txe", Word::kSkippedDestination}, {"u", Word::kUnicode},
    {"uc", Word::kFallbackLength}, {"ul", Word::kUnderline},
    {"ulnone", Word::kUnderlineNone}, {"userprops", Word::kSkippedDestination},
    {"xe", Word::kSkippedDestination}, {"xmlnstbl", Word::kSkippedDestination},
};
// clang-format on

// Control words by their first letter, so that a look-up compares a handful of names.
const WordEntry* LookUpWord(std::string_view name) {
  static const auto buckets = [] {
    std::array<std::vector<const WordEntry*>, 26> b;
    for (const WordEntry& entry : kWords) b[entry.name[0] - 'a'].push_back(&entry);
    return b;
  }();
  for (const WordEntry* entry : buckets[name[0] - 'a']) {
    if (entry->name == name) return entry;
  }
  return nullptr;
}

enum class Destination : std::uint8_t { kBody, kFontTable, kColourTable };

// The character state that a group saves and restores.
struct GroupState {
  CharFormat format;                 // format.font is resolved from rtf_font when text comes
  std::int32_t rtf_font = -1;        // the \f number in force, -1 for none
  std::int32_t fallback_length = 1;  // \uc: bytes of fallback text after each \uN
  Destination destination = Destination::kBody;
};

struct FontEntry {
  std::string name;   // UTF-8
  int code_page = 0;  // 0: the document's
  std::int32_t model_font = kUnregistered;
};

struct ControlWord {
  std::string_view name;
  bool has_parameter = false;
  std::int32_t parameter = 0;
};

class RtfParser {
 public:
  explicit RtfParser(std::string_view in) : in_(in) {
    out_.paragraphs.emplace_back();
    stack_.emplace_back();  // the state outside every group
    decoders_.emplace_back(kAnsiCodePage, CodePageDecoder::Open(kAnsiCodePage));
  }

  RichText Read() {
    static constexpr std::string_view kSignature = "{\\rtf";
    if (in_.substr(0, kSignature.size()) != kSignature) {
      ReadPlainText();
    } else {
      ReadGroups();
    }
    FlushLead();
    return std::move(out_);
  }

 private:
  void ReadGroups() {
    while (!done_ && pos_ < in_.size()) {
      const char c = in_[pos_++];
      switch (c) {
        case '{': OpenGroup(); break;
        case '}': CloseGroup(); break;
        case '\\': ControlSequence(); break;
        case '\r':
        case '\n':
        case '\0': break;  // line breaks of the RTF source are not text; NULs are dropped
        default: TextByte(static_cast<std::uint8_t>(c), true); break;
      }
    }
  }

  // Text without RTF: the system's code page, CR LF, CR or LF ending a paragraph.
  void ReadPlainText() {
    document_code_page_ = kChineseCodePage;
    while (pos_ < in_.size()) {
      const char c = in_[pos_++];
      if (c == '\r' || c == '\n') {
        if (c == '\r' && pos_ < in_.size() && in_[pos_] == '\n') ++pos_;
        FlushLead();
        NewParagraph();
      } else if (c != '\0') {
        TextByte(static_cast<std::uint8_t>(c), false);
      }
    }
  }

  GroupState& Top() { return stack_.back(); }

  void OpenGroup() {
    FlushLead();
    skip_fallback_ = 0;
    if (stack_.size() > kMaxGroupDepth) {
      SkipGroup();
      return;
    }
    stack_.push_back(stack_.back());
    group_start_ = true;
    starred_ = false;
  }

  void CloseGroup() {
    FlushLead();
    skip_fallback_ = 0;
    group_start_ = starred_ = false;
    if (destination_ == Destination::kFontTable) CommitFont();
    PopGroup();
  }

  void PopGroup() {
    stack_.pop_back();
    // Whatever follows the document's outermost group is not part of it.
    if (stack_.size() <= 1) {
      done_ = true;
      return;
    }
    destination_ = Top().destination;
    resolve_needed_ = true;
  }

  // Skips the rest of the group whose "{" was read last, with everything nested in it,
  // tracking only braces, escaped characters and \bin data.
  void SkipGroup() {
    std::size_t nesting = 1;
    while (pos_ < in_.size()) {
      const char c = in_[pos_++];
      if (c == '{') {
        ++nesting;
      } else if (c == '}') {
        if (--nesting == 0) return;
      } else if (c == '\\' && pos_ < in_.size()) {
        if (IsLetter(in_[pos_])) {
          const ControlWord word = ReadControlWord();
          if (word.name == "bin") SkipBinary(word);
        } else {
          ++pos_;
        }
      }
    }
  }

  void SkipBinary(const ControlWord& word) {
    if (!word.has_parameter || word.parameter <= 0) return;
    const auto count = static_cast<std::size_t>(word.parameter);
    pos_ += count < in_.size() - pos_ ? count : in_.size() - pos_;
  }

  // Reads a control word whose first letter is at pos_: up to the last letter, an
  // optional signed parameter (held to the 32-bit range however many digits it has)
  // and the space that may end it.
  ControlWord ReadControlWord() {
    ControlWord word;
    const std::size_t start = pos_;
    while (pos_ < in_.size() && IsLetter(in_[pos_])) ++pos_;
    word.name = in_.substr(start, pos_ - start);
    bool negative = false;
    if (pos_ + 1 < in_.size() && in_[pos_] == '-' && IsDigit(in_[pos_ + 1])) {
      negative = true;
      ++pos_;
    }
    std::int64_t value = 0;
    while (pos_ < in_.size() && IsDigit(in_[pos_])) {
      word.has_parameter = true;
      if (value <= std::numeric_limits<std::int32_t>::max()) value = value * 10 + (in_[pos_] - '0');
      ++pos_;
    }
    value = std::min<std::int64_t>(value, std::numeric_limits<std::int32_t>::max());
    word.parameter = static_cast<std::int32_t>(negative ? -value : value);
    if (pos_ < in_.size() && in_[pos_] == ' ') ++pos_;
    return word;
  }

  void ControlSequence() {
    if (pos_ >= in_.size()) return;  // a lone backslash at the end
    const char c = in_[pos_];
    if (IsLetter(c)) {
      const ControlWord word = ReadControlWord();
      Control(word);
      return;
    }
    ++pos_;
    switch (c) {
      case '\'': {
        int value = 0;
        int digits = 0;
        while (digits < 2 && pos_ < in_.size() && HexValue(in_[pos_]) >= 0) {
          value = value * 16 + HexValue(in_[pos_++]);
          ++digits;
        }
        if (digits == 2) {
          TextByte(static_cast<std::uint8_t>(value), false);
        } else {
          Symbol(0);  // a truncated escape stands for no byte
        }
        return;
      }
      case '\\':
      case '{':
      case '}': TextByte(static_cast<std::uint8_t>(c), false); return;
      case '*': starred_ = true; return;
      case '~': Symbol(0x00A0); return;
      case '_': Symbol(0x2011); return;
      case '-': Symbol(0x00AD); return;
      case '\r':
      case '\n':
        // A backslash before a source line break is a paragraph mark.
        FlushLead();
        if (ConsumedAsFallback()) return;
        group_start_ = starred_ = false;
        if (destination_ == Destination::kBody) NewParagraph();
        return;
      default: Symbol(0); return;
    }
  }

  // A control symbol that stands for one character (0: for none).
  void Symbol(char16_t unit) {
    FlushLead();
    if (ConsumedAsFallback()) return;
    group_start_ = starred_ = false;
    EmitUnit(unit);
  }

  // After \uN the next \ucN bytes, escapes or control words are its fallback for
  // readers without Unicode, which we drop; a brace ends the fallback early.
  bool ConsumedAsFallback() {
    if (skip_fallback_ == 0) return false;
    --skip_fallback_;
    return true;
  }

  // A control word: \bin with its data, part of a \uN fallback, a starred destination
  // to skip, or a word to act on.
  void Control(const ControlWord& word) {
    FlushLead();
    const WordEntry* entry = LookUpWord(word.name);
    if (entry != nullptr && entry->word == Word::kBinary) {
      SkipBinary(word);
      ConsumedAsFallback();
      group_start_ = starred_ = false;
      return;
    }
    if (ConsumedAsFallback()) {
      group_start_ = starred_ = false;
      return;
    }
    const bool at_group_start = group_start_;
    const bool starred = starred_;
    group_start_ = starred_ = false;

    // "\*" marks a destination that a reader may skip when it does not know it; the
    // only destinations read here are the font and colour tables.
    if (at_group_start && starred &&
        (entry == nullptr ||
         (entry->word != Word::kFontTable && entry->word != Word::kColourTable))) {
      SkipCurrentGroup();
      return;
    }
    if (entry != nullptr) Act(*entry, word, at_group_start);
  }

  // Acts on a control word of the table, through the handler of its kind.
  void Act(const WordEntry& entry, const ControlWord& word, bool at_group_start) {
    switch (entry.word) {
      case Word::kSkippedDestination:
      case Word::kFontTable:
      case Word::kColourTable: DestinationWord(entry.word, at_group_start); break;
      case Word::kAnsi:
      case Word::kAnsiCodePage:
      case Word::kMac:
      case Word::kPc:
      case Word::kPca: CodePageWord(entry.word, word.parameter); break;
      case Word::kDefaultFont:
      case Word::kFont:
      case Word::kFontCharset:
      case Word::kFontCodePage: FontWord(entry.word, word.parameter); break;
      case Word::kFontSize:
      case Word::kColour:
      case Word::kPlain:
      case Word::kBold:
      case Word::kItalic:
      case Word::kUnderline:
      case Word::kUnderlineNone: FormatWord(entry.word, word); break;
      case Word::kParagraph:
        if (destination_ == Destination::kBody) NewParagraph();
        break;
      case Word::kCharacter: EmitUnit(entry.character); break;
      case Word::kUnicode: UnicodeCharacter(word); break;
      case Word::kFallbackLength:
        Top().fallback_length = word.has_parameter && word.parameter > 0 ? word.parameter : 0;
        break;
      case Word::kBinary: break;  // Control skips it with its data
      case Word::kRed:
      case Word::kGreen:
      case Word::kBlue: ColourComponent(entry.word, word.parameter); break;
    }
  }

  // A destination word counts only as its group's first: the font and colour tables are
  // read from there on, every other destination is skipped.
  void DestinationWord(Word word, bool at_group_start) {
    if (!at_group_start) return;
    GroupState& state = Top();
    switch (word) {
      case Word::kFontTable:
        state.destination = destination_ = Destination::kFontTable;
        pending_font_ = PendingFont{};
        resolve_needed_ = true;
        break;
      case Word::kColourTable:
        state.destination = destination_ = Destination::kColourTable;
        colours_.clear();
        pending_colour_ = PendingColour{};
        break;
      default: SkipCurrentGroup(); break;
    }
  }

  // \ansi, \ansicpgN, \mac, \pc, \pca: the document's code page.
  void CodePageWord(Word word, std::int32_t n) {
    switch (word) {
      case Word::kAnsi: SetDocumentCodePage(kAnsiCodePage); break;
      case Word::kAnsiCodePage:
        if (n > 0) SetDocumentCodePage(n);
        break;
      case Word::kMac: SetDocumentCodePage(10000); break;
      case Word::kPc: SetDocumentCodePage(437); break;
      case Word::kPca: SetDocumentCodePage(850); break;
      default: break;
    }
  }

  // \deff and \f pick the font in force; inside the font table \f starts an entry instead,
  // and \fcharset or \cpg give the entry's code page.
  void FontWord(Word word, std::int32_t n) {
    const bool in_font_table = destination_ == Destination::kFontTable;
    switch (word) {
      case Word::kDefaultFont:
        default_font_ = n;
        Top().rtf_font = n;
        resolve_needed_ = true;
        break;
      case Word::kFont:
        if (in_font_table) {
          StartFont(n);
        } else {
          Top().rtf_font = n;
          resolve_needed_ = true;
        }
        break;
      case Word::kFontCharset:
        if (in_font_table) {
          pending_font_.entry.code_page = CodePageOfCharset(n);
          resolve_needed_ = true;
        }
        break;
      case Word::kFontCodePage:
        if (in_font_table && n > 0) {
          pending_font_.entry.code_page = n;
          resolve_needed_ = true;
        }
        break;
      default: break;
    }
  }

  // The group's character format: size, colour, \plain and the toggles, which a
  // parameter of 0 turns off and anything else (or none) on.
  void FormatWord(Word word, const ControlWord& control) {
    const std::int32_t n = control.parameter;
    const bool on = !control.has_parameter || n != 0;
    GroupState& state = Top();
    switch (word) {
      case Word::kFontSize:
        // \fs0 and negative sizes mean nothing sensible; they keep the default size.
        state.format.font_size =
            control.has_parameter && n > 0
                ? static_cast<std::int16_t>(n < kMaxFontSize ? n : kMaxFontSize)
                : kDefaultFontSize;
        break;
      case Word::kColour: state.format.colour = ColourEntry(n); break;
      case Word::kPlain:
        state.format = CharFormat{};
        state.rtf_font = default_font_;
        resolve_needed_ = true;
        break;
      case Word::kBold: state.format.bold = on; break;
      case Word::kItalic: state.format.italic = on; break;
      case Word::kUnderline: state.format.underline = on; break;
      case Word::kUnderlineNone: state.format.underline = false; break;
      default: break;
    }
  }

  // \uN: one UTF-16 unit, then the group's \uc count of fallback to drop.
  void UnicodeCharacter(const ControlWord& word) {
    if (!word.has_parameter) return;
    const std::int32_t n = word.parameter;
    // Parameters are signed 16-bit: -1 is U+FFFF.
    if (n >= -0x8000 && n <= 0xFFFF) {
      EmitUnit(static_cast<char16_t>(n < 0 ? n + 0x10000 : n));
    } else {
      EmitUnit(kReplacement);
    }
    skip_fallback_ = Top().fallback_length;
  }

  // \red, \green, \blue: a component of the colour-table entry being read.
  void ColourComponent(Word word, std::int32_t n) {
    if (destination_ != Destination::kColourTable) return;
    const auto value = static_cast<std::uint8_t>(n < 0 ? 0 : n > 255 ? 255 : n);
    if (word == Word::kRed) pending_colour_.red = value;
    if (word == Word::kGreen) pending_colour_.green = value;
    if (word == Word::kBlue) pending_colour_.blue = value;
    pending_colour_.any = true;
  }

  // Drops the group whose destination word was just read: its state now, its content
  // by skipping to its closing brace.
  void SkipCurrentGroup() {
    PopGroup();
    SkipGroup();
  }

  void SetDocumentCodePage(int code_page) {
    document_code_page_ = code_page;
    resolve_needed_ = true;
  }

  std::optional<Colour> ColourEntry(std::int32_t index) const {
    if (index < 0 || static_cast<std::size_t>(index) >= colours_.size()) return std::nullopt;
    const std::uint32_t entry = colours_[static_cast<std::size_t>(index)];
    if (entry == kAutomaticEntry) return std::nullopt;
    return entry;
  }

  void CommitColour() {
    colours_.push_back(pending_colour_.any ? MakeColour(pending_colour_.red, pending_colour_.green,
                                                        pending_colour_.blue)
                                           : kAutomaticEntry);
    pending_colour_ = PendingColour{};
  }

  void StartFont(std::int32_t number) {
    CommitFont();
    pending_font_ = PendingFont{};
    pending_font_.number = number;
    pending_font_.open = true;
    resolve_needed_ = true;
  }

  // Enters the font being read into the table: at its ";", at the end of its group or
  // when the next \f starts without one.
  void CommitFont() {
    if (!pending_font_.open) return;
    std::u16string_view name = pending_font_.name;
    while (!name.empty() && name.front() == u' ') name.remove_prefix(1);
    while (!name.empty() && name.back() == u' ') name.remove_suffix(1);
    pending_font_.entry.name = Utf8FromUtf16(name);
    if (font_table_.size() < kMaxFonts || font_table_.contains(pending_font_.number)) {
      font_table_[pending_font_.number] = std::move(pending_font_.entry);
    }
    pending_font_ = PendingFont{};
    resolve_needed_ = true;
  }

  // Picks the decoder and the model font for the state in force. Fonts are looked up
  // only when text comes, so a \f before the font table is read still finds its face.
  void Resolve() {
    resolve_needed_ = false;
    int code_page = document_code_page_;
    if (destination_ == Destination::kFontTable) {
      if (pending_font_.entry.code_page > 0) code_page = pending_font_.entry.code_page;
    } else {
      GroupState& state = Top();
      state.format.font = -1;
      const auto it = font_table_.find(state.rtf_font);
      if (it != font_table_.end()) {
        FontEntry& font = it->second;
        if (font.code_page > 0) code_page = font.code_page;
        state.format.font = ModelFont(font);
      }
    }
    decoder_ = DecoderFor(code_page);
  }

  std::int32_t ModelFont(FontEntry& font) {
    if (font.model_font == kUnregistered) {
      if (font.name.empty()) {
        font.model_font = -1;
      } else {
        const auto [it, added] =
            font_indices_.try_emplace(font.name, static_cast<std::int32_t>(out_.fonts.size()));
        if (added) out_.fonts.push_back(font.name);
        font.model_font = it->second;
      }
    }
    return font.model_font;
  }

  CodePageDecoder* DecoderFor(int code_page) {
    for (auto& [number, decoder] : decoders_) {
      if (number == code_page) return decoder ? decoder.get() : Fallback();
    }
    if (decoders_.size() >= kMaxCodePages) return Fallback();
    decoders_.emplace_back(code_page, CodePageDecoder::Open(code_page));
    return decoders_.back().second ? decoders_.back().second.get() : Fallback();
  }

  // Code page 1252, the RTF default, for code pages that iconv does not know. Should
  // iconv know none at all, bytes of 0x80 and above are dropped.
  CodePageDecoder* Fallback() { return decoders_.front().second.get(); }

  // A byte of text: a literal byte of the source or a \'hh escape.
  void TextByte(std::uint8_t b, bool literal) {
    if (ConsumedAsFallback()) return;
    group_start_ = starred_ = false;
    if (literal && b == ';') {
      if (destination_ == Destination::kColourTable) {
        CommitColour();
        return;
      }
      if (destination_ == Destination::kFontTable) {
        FlushLead();
        CommitFont();
        return;
      }
    }
    if (destination_ == Destination::kColourTable) return;
    if (resolve_needed_) Resolve();
    if (decoder_ == nullptr) {
      if (b < 0x80) EmitUnit(b);
      return;
    }
    if (pending_lead_ >= 0) {
      const auto lead = static_cast<std::uint8_t>(pending_lead_);
      pending_lead_ = -1;
      if (IsTrailByte(b)) {
        EmitUnit(decoder_->Pair(lead, b));
        return;
      }
      EmitUnit(kReplacement);
    }
    if (decoder_->IsLead(b)) {
      pending_lead_ = b;
      return;
    }
    EmitUnit(decoder_->Single(b));
  }

  // A lead byte that no trail byte followed is a character of its own: U+FFFD.
  void FlushLead() {
    if (pending_lead_ < 0) return;
    pending_lead_ = -1;
    EmitUnit(kReplacement);
  }

  void EmitUnit(char16_t unit) {
    if (unit == 0) return;
    switch (destination_) {
      case Destination::kBody: Append(unit); break;
      case Destination::kFontTable:
        if (pending_font_.name.size() < kMaxFontNameLength) pending_font_.name.push_back(unit);
        break;
      case Destination::kColourTable: break;
    }
  }

  void Append(char16_t unit) {
    if (resolve_needed_) Resolve();
    AppendUnit(out_, unit, Top().format);
  }

  void NewParagraph() { StartParagraph(out_); }

  struct PendingFont {
    std::int32_t number = 0;
    bool open = false;
    std::u16string name;
    FontEntry entry;
  };
  struct PendingColour {
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;
    bool any = false;
  };

  std::string_view in_;
  std::size_t pos_ = 0;
  bool done_ = false;
  RichText out_;

  std::vector<GroupState> stack_;
  Destination destination_ = Destination::kBody;  // that of Top(), kept at hand
  bool group_start_ = false;                      // nothing but "\*" read since the last "{"
  bool starred_ = false;
  std::int32_t skip_fallback_ = 0;
  int pending_lead_ = -1;  // a lead byte waiting for its trail byte

  int document_code_page_ = kAnsiCodePage;
  std::int32_t default_font_ = -1;
  std::unordered_map<std::int32_t, FontEntry> font_table_;
  PendingFont pending_font_;
  std::unordered_map<std::string, std::int32_t> font_indices_;
  std::vector<std::uint32_t> colours_;
  PendingColour pending_colour_;

  std::vector<std::pair<int, std::unique_ptr<CodePageDecoder>>> decoders_;
  CodePageDecoder* decoder_ = nullptr;
  bool resolve_needed_ = true;
};

}  // namespace

RichText ReadRtf(std::string_view bytes) { return RtfParser(bytes).Read(); }

}  // namespace kolvane
