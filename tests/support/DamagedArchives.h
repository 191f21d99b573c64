#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tarlo::test {

// One change to a good archive file: the first occurrence of `from` becomes `to`.
struct ArchiveDamage {
    const char* name;
    const char* from;
    const char* to;
    // The start of the library message that loading the damaged file gives.
    const char* error;
};

inline std::string damaged(std::string text, const ArchiveDamage& damage) {
    const std::size_t at = text.find(damage.from);
    EXPECT_NE(at, std::string::npos) << damage.name;
    if (at != std::string::npos)
        text.replace(at, std::string(damage.from).size(), damage.to);
    return text;
}

// Single changes to tests/data/project/windows_rev6.tlp, each of which once made the archive
// library crash or read out of bounds, or which it would have read as something else.
inline const std::vector<ArchiveDamage>& projectDamages() {
    static const std::vector<ArchiveDamage> damages = {
        // The library indexes its class table with a pointer's new class number.
        {"a pointer's class numbered beyond a gap", "<px class_id=\"18\" class_name",
         "<px class_id=\"40\" class_name",
         "invalid archive numbering - class_id 40 after skipped class numbers"},
        // Number 9 is skipped by the library itself: a collection of plain values has it.
        {"a class reference into a gap", "<px class_id_reference=\"18\" object_id=\"_6\">",
         "<px class_id_reference=\"9\" object_id=\"_6\">",
         "invalid archive numbering - class_id_reference 9 names no class"},
        {"a class numbered twice", "<m_vBridges class_id=\"21\"", "<m_vBridges class_id=\"20\"",
         "invalid archive numbering - class_id 20 where 21 is next"},
        // A vehicle type where a distribution is expected, and owned twice.
        {"an object reference to an object of another class",
         "<px class_id_reference=\"18\" object_id=\"_6\">",
         "<px class_id_reference=\"18\" object_id_reference=\"_3\">",
         "invalid archive numbering - object_id_reference _3 to an object of another class"},
        // The library reads nothing of a reference but its numbers; the rest would be read as
        // the items that follow.
        {"an object reference with content", "<px class_id_reference=\"18\" object_id=\"_6\">",
         "<px class_id_reference=\"18\" object_id_reference=\"_5\">",
         "invalid archive numbering - object_id_reference with content"},
        {"an object reference to no object", "<px class_id_reference=\"18\" object_id=\"_6\">",
         "<px class_id_reference=\"18\" object_id_reference=\"_6\">",
         "invalid archive numbering - object_id_reference _6 names no object"},
        // The library would take a number it has given out for a reference.
        {"an object numbered twice", "<px class_id_reference=\"18\" object_id=\"_6\">",
         "<px class_id_reference=\"18\" object_id=\"_5\">",
         "invalid archive numbering - object_id _5 where _6 is next"},
        {"a tracked class marked untracked", "<item class_id=\"5\" tracking_level=\"1\"",
         "<item class_id=\"5\" tracking_level=\"0\"",
         "invalid archive numbering - object_id on untracked class 5"},
        {"a tracked pointer class marked untracked", "<px class_id=\"14\" tracking_level=\"1\"",
         "<px class_id=\"14\" tracking_level=\"0\"",
         "invalid archive numbering - object_id on untracked class 14"},
        {"an untracked class marked tracked", "<item class_id=\"2\" tracking_level=\"0\"",
         "<item class_id=\"2\" tracking_level=\"1\"",
         "invalid archive numbering - no object_id on tracked class 2"},
        // The library compared it with the expected name by reading past that name's end.
        {"an end tag longer than its start tag", "</m_ParamA>", "</m_ParamA_and_more>",
         "XML start/end tag mismatch - m_ParamA_and_more"},
        {"an end tag of the top level of another name", "</m_FileType>", "</m_FileTypes>",
         "XML start/end tag mismatch - m_FileTypes"},
        {"an empty-element tag",
         "<CDistribution class_id=\"8\" tracking_level=\"0\" version=\"1\"></CDistribution>",
         "<CDistribution class_id=\"8\" tracking_level=\"0\" version=\"1\"/>",
         "unrecognized XML syntax"},
        {"no closing tag", "</boost_serialization>", "",
         "input stream error-end of file inside <boost_serialization>"},
        // The library makes room for a list's count of entries before it reads one.
        {"a list count beyond the longest list", "<count>1</count>", "<count>1000000000</count>",
         "invalid list length - count 1000000000 of <m_vStatDetectors> beyond the most of "
         "10000000"},
        {"a list count above its items", "<count>3</count>", "<count>1000000</count>",
         "invalid list length - <m_Data> holds 3 of the 1000000 items its count announces"},
        {"a list count below its items", "<count>3</count>", "<count>2</count>",
         "invalid list length - <m_Data> holds more items than its count of 2"},
        {"a negative list count", "<count>3</count>", "<count>-1</count>",
         "invalid list length - count \"-1\" of <m_Data>"},
    };
    return damages;
}

} // namespace tarlo::test
