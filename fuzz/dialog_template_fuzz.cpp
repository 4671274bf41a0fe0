// dialog_template_fuzz.cpp: the dialog template reader (ResParseDialog, DIALOG and DIALOGEX) on
// any bytes. It must refuse or read without leaving the input; what it read is walked end to end
// so that a wrong length shows up under the sanitizers.
#include "platform/resources/ResourceTemplates.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    ResDialog dialog;
    if (!ResParseDialog(data, size, &dialog)) return 0;
    size_t sum = dialog.Caption.size() + dialog.FontFace.size() + dialog.Menu.Text.size();
    for (const ResDialogItem& item : dialog.Items) {
        sum += ResControlClassOrdinal(item.Class) + item.Title.Text.size();
        for (BYTE b : item.CreationData)
            sum += b;
    }
    if (sum == 0x12345678) std::abort(); // keeps the reads from being optimised away
    return 0;
}
