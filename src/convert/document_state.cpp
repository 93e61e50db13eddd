#include "convert/document_state.h"

#include <algorithm>

namespace kolvane {
namespace {

void ReleaseText(Text& text) { Text().swap(text); }

std::array<std::string_view, 6> Pieces(std::string_view colour_table, std::string_view body) {
  return {kDocumentHeader, kColourTableOpening, colour_table, kGeneratorLine, body, kDocumentTail};
}

Text AssembleDocument(std::string_view colour_table, std::string_view body) {
  Text document;
  document.reserve(kDocumentFrameSize + colour_table.size() + body.size());
  for (std::string_view piece : Pieces(colour_table, body)) document.append(piece);
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

std::array<std::string_view, 6> DocumentPieces(const DocumentState& state) {
  return Pieces(state.color_table_text, state.body_text);
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
  const std::size_t prefix_size = kDocumentHeader.size() + kColourTableOpening.size() +
                                  state.color_table_text.size() + kGeneratorLine.size();
  const std::size_t room = document.capacity() - document.size();
  if (room >= prefix_size && room - prefix_size >= kDocumentTail.size()) {
    document.insert(0, prefix_size, '\0');  // within capacity: moves the body up in place
    char* p = document.data();
    p = std::copy(kDocumentHeader.begin(), kDocumentHeader.end(), p);
    p = std::copy(kColourTableOpening.begin(), kColourTableOpening.end(), p);
    p = std::copy(state.color_table_text.begin(), state.color_table_text.end(), p);
    std::copy(kGeneratorLine.begin(), kGeneratorLine.end(), p);
    document.append(kDocumentTail);
  } else {
    document = AssembleDocument(state.color_table_text, document);
  }
  ReleaseText(state.color_table_text);
  state.document_text = std::move(document);
}

}  // namespace kolvane
