// Clipboard target.
#pragma once

// Puts JobBlock.DataText on the clipboard as CF_TEXT.
void PutBlockOnClipboard();
