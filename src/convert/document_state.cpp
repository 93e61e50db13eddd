#include "convert/document_state.h"

#include <algorithm>
#include <span>

namespace kolvane {
namespace {

void ReleaseText(Text& text) { Text().swap(text); }

// Where the body goes among the pieces; only the tail follows it.
constexpr std::size_t kBodyPiece = 7;
static_assert(DocumentPieces("", "body")[kBodyPiece] == "body" &&
              DocumentPieces("", "").size() == kBodyPiece + 2);

Text AssembleDocument(std::string_view colour_table, std::string_view body) {
  Text document;
  document.reserve(kDocumentFrameSize + colour_table.size() + body.size());
  for (std::string_view piece : DocumentPieces(colour_table, body)) document.append(piece);
  return document;
}

}  // namespace

void DocumentState::Reset() {
  Release();
  cell_counter = 0;
}

void DocumentState::Release() {
  ReleaseText(document_text);
  ReleaseText(body_text);
  ReleaseText(color_table_text);
}

DocumentState& GlobalDocument() {
  static DocumentState state;
  return state;
}

void ReleaseDocumentTexts() { GlobalDocument().Release(); }

std::array<std::string_view, 9> DocumentPieces(const DocumentState& state) {
  return DocumentPieces(state.color_table_text, state.body_text);
}

Text BuildDocumentText(const DocumentState& state) {
  return AssembleDocument(state.color_table_text, state.body_text);
}

void FinishDocument(DocumentState& state) {
  // The body is the bulk of the document. Building the document around it in its own
  // buffer keeps the peak at colour table plus document, where a fresh text would
  // also hold a second copy of the body.
  ReleaseText(state.document_text);
  Text document = std::move(state.body_text);
  ReleaseText(state.body_text);
  const auto pieces = DocumentPieces(state.color_table_text, {});
  const auto before_body = std::span(pieces).first(kBodyPiece);
  std::size_t prefix_size = 0;
  for (const std::string_view piece : before_body) prefix_size += piece.size();
  const std::size_t room = document.capacity() - document.size();
  if (room >= prefix_size && room - prefix_size >= kDocumentTail.size()) {
    document.insert(0, prefix_size, '\0');  // within capacity: moves the body up in place
    char* p = document.data();
    for (const std::string_view piece : before_body) p = std::copy(piece.begin(), piece.end(), p);
    document.append(kDocumentTail);
  } else {
    document = AssembleDocument(state.color_table_text, document);
  }
  ReleaseText(state.color_table_text);
  state.document_text = std::move(document);
}

}  // namespace kolvane
