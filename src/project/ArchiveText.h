#pragma once

#include "project/ArchiveCheck.h"

#include <boost/archive/archive_exception.hpp>
#include <boost/archive/xml_iarchive.hpp>
#include <boost/archive/xml_oarchive.hpp>

#include <sstream>
#include <string>

namespace tarlo {

// Helpers shared by the project and settings files, which are XML archives built in
// memory and written whole. Failures are raised in the archive library's own terms, with
// the system's reason, so both files report them alike.

// The archive library version that the files' layout names in their header. The library
// would write its own (18 for Boost 1.74), and a library older than the one named may
// refuse the file. Nothing else depends on it: the library writes the same elements
// whatever version the header names, and reads XML archives alike for every version above 6.
inline constexpr unsigned ArchiveLayoutVersion = 11;

// The opening lines of an archive: the XML declaration, the document type and the root's
// start tag with the layout's version.
std::string archiveOpening();
inline constexpr const char* ArchiveClosing = "</boost_serialization>\n";

// The text of an archive with the items that `write` puts into it.
template <class Write> std::string archiveText(Write&& write) {
    std::ostringstream xml;
    xml << archiveOpening();
    {
        boost::archive::xml_oarchive ar(xml, boost::archive::no_header);
        write(ar);
        // Before the archive ends its text with one more line end, as with its own closing.
        xml << ArchiveClosing;
    }
    return xml.str();
}

// Reads the items of an archive's text with `read`, once checkArchiveText has accepted the
// text; raises the library's exception on any failure.
template <class Read> void readArchiveText(const std::string& text, Read&& read) {
    checkArchiveText(text);
    std::istringstream in(text);
    // Deliberately: the library does not compare end tags with the names it expects. It
    // compares by reading the expected name as far as the file's tag goes, past the end of a
    // shorter name; the check above has paired every end tag with its start tag instead.
    boost::archive::xml_iarchive ar(in, boost::archive::no_xml_tag_checking);
    read(ar);
    // The check has seen the closing tag. The library would look for it again as the archive
    // is destroyed, where a failure could only end the program; a failed stream passes over.
    in.setstate(std::ios::failbit);
}

[[noreturn]] void throwStreamError(boost::archive::archive_exception::exception_code code,
                                   const char* reason);

// The whole file; raises an input stream error when it cannot be read.
std::string readFile(const std::string& path);

// Every CR LF becomes LF.
std::string withLf(const std::string& text);
// Every LF becomes CR LF.
std::string withCrLf(const std::string& text);

// Writes beside the target and renames over it, so a failed write leaves the old file
// whole; raises an output stream error on any failure.
void replaceFile(const std::string& target, const std::string& contents);

} // namespace tarlo
