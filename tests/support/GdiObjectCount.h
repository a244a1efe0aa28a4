#pragma once

// The number of GDI objects this process owns. Uses GetGuiResources where it
// answers (Windows); under Wine, which answers 0 there, it counts the live
// entries of the process's GDI handle table.
unsigned long GdiObjectCount();
