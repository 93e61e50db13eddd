#pragma once
// Makes the controls of a window from its definition, in definition order.
namespace kolvane {

class ProgramWindow;

// Creates every control of the window at its place with its settings; controls on a
// tab page other than the selected one start hidden.
void BuildControls(ProgramWindow& window);

}  // namespace kolvane
