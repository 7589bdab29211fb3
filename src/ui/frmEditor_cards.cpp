#include "ui/frmEditor.h"

#include <QComboBox>

namespace useropts {

// The card list file and its download fill the card choice's list.

void frmEditor::ReadCardData()
{
    choiceField(Field::cboNIC)->clear();
}

void frmEditor::GetCardData() {}

void frmEditor::cmdGetCards_Click()
{
    GetCardData();
}

} // namespace useropts
