#pragma once

class QWidget;

namespace useropts {

// Gives window its caption, size, icon and default font, and creates every
// control of the editor layout in it, named after its entry in the layout.
void buildEditorLayout(QWidget* window);

} // namespace useropts
