#pragma once

#include <QString>

// The help page of a window's help context number, with its anchor ("page.htm#Anchor"), or an
// empty text for a context without a page.
QString HelpPageFor(int contextNumber);
