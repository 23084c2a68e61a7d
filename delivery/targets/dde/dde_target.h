// DDE target.
#pragma once

// Pokes JobBlock.DataText into the application the block names, through
// Form1's txtEXport.
void PokeBlockOverDde();
