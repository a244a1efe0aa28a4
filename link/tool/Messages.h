#pragma once

#include <string>
#include <string_view>

// torvane-link's words in the user's language. Messages are written in
// English throughout the program and the engine, and translated here, by
// their English text, as they leave for standard error; JSON output keeps the
// English text, so scripts read the same fields in every language.
namespace Messages {

enum class Language { English, Chinese };

// The language of a POSIX locale setting ("zh_CN.UTF-8", "C", "en_US"...):
// Chinese for any "zh" locale.
Language OfLocale(std::string_view locale);

// The help text (`--help`) in `language`.
std::string HelpText(Language language);

// `english`, a message or a line of messages ("line 3: not valid Base64"),
// in `language`. Text the catalogue does not know stays as it is.
std::string Translate(std::string_view english, Language language);

// Each line of `text` translated, line ends kept.
std::string TranslateLines(std::string_view text, Language language);

}  // namespace Messages
