#include "skindata/link_url.h"

bool IsOpenableUrl(const AnsiString& url) {
    for (char c : url)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F || c == '"') return false;
    auto startsWith = [&](const char* prefix) {
        AnsiString p(prefix);
        return url.size() > p.size() && SameText(url.substr(0, p.size()), p);
    };
    return startsWith("http://") || startsWith("https://") || startsWith("mailto:");
}
