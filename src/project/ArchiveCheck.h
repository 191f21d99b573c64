#pragma once

#include <string_view>

namespace tarlo {

// Checks the text of an XML archive before the archive library reads it. The library trusts
// what it reads: it indexes its class table with a pointer's class number from the file, and
// it hands out the object read under a number whatever class the reference names. A damaged
// file could make it write past its table or give one object to two owners.
//
// The text must hold one root element, every element closed by an end tag of its own name;
// classes numbered upwards in order of appearance, skipping no more numbers than collections
// of plain values (whose class the library numbers without showing it) were opened since the
// previous class, unless neither a pointer's class nor a reference follows a skip; references
// to classes numbered before; object numbers on the objects of tracked classes only, never
// below the count of objects before; and references to earlier objects of the class named,
// with nothing inside them. The library also makes room for as many entries as a list's
// count announces before it reads one, so every count must be a plain number, no more than
// limits::maxListLength, and equal to the items of its list.
//
// Raises the library's archive_exception: an input stream error for a file that ends inside
// an element, a tag mismatch or unrecognized XML syntax for broken tags, "invalid list
// length - ..." for a count, and "invalid archive numbering - ..." for the rest.
void checkArchiveText(std::string_view text);

} // namespace tarlo
