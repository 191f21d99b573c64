#pragma once

#include <string>

namespace tarlo {

class CTarloDoc;
class Host;

// Appends the lines of the influence-line file to the document's list, numbered on from the
// lines there, and says how it went: a message box, and on success the count in the output
// log. A file that does not read leaves the list as it was.
void importInfluenceLines(CTarloDoc& doc, Host& host, const std::string& path);

} // namespace tarlo
