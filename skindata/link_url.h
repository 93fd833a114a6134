// Which addresses a link label hands to the shell: only absolute web and mail addresses,
// never a program, a document path or another protocol.
#pragma once
#include "classlib/sysutils.h"

// True for "http://…", "https://…" (with a host) and "mailto:…" (scheme in any case), with no
// control characters or quotes.
bool IsOpenableUrl(const AnsiString& url);
