// Interface texts of the controls, looked up by key in the "Localizable" table of the interface language. The
// application installs its lookup once at start-up; until then (and in tests that install none) a key reads as
// itself, the rule for a key the table lacks.
#pragma once

#include <QString>

#include <functional>

namespace controlstext {

using Lookup = std::function<QString(const QString& key)>;

// Replaces the lookup; an empty one restores the key-as-text rule. Safe from any thread.
void setLookup(Lookup lookup);
QString localized(const QString& key);

} // namespace controlstext
