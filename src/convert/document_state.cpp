#include "convert/document_state.h"

namespace kolvane {

void DocumentState::Reset() {
  StartDocument(cells, {}, 0);
  Text().swap(document_text);
}

DocumentState& GlobalDocument() {
  static DocumentState state;
  return state;
}

void ReleaseDocumentTexts() { GlobalDocument().Release(); }

}  // namespace kolvane
