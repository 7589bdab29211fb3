#include "ui/frmEditor.h"

namespace useropts {

// The printed configuration report.

void frmEditor::cmdPrint_Click() {}

} // namespace useropts
