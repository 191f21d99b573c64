#include "project/ArchiveCheck.h"

#include "project/Limits.h"

#include <boost/archive/archive_exception.hpp>
#include <boost/archive/xml_archive_exception.hpp>

#include <algorithm>
#include <charconv>
#include <limits>
#include <optional>
#include <string>
#include <vector>

namespace tarlo {

namespace {

using boost::archive::archive_exception;
using boost::archive::xml_archive_exception;

// A fault of the class or object numbering, worded like the library's own messages.
class NumberingError : public archive_exception {
public:
    explicit NumberingError(const std::string& detail) {
        append(append(0, "invalid archive numbering - "), detail.c_str());
    }
};

// A list whose count the items that follow do not bear out, worded like the library's own
// messages.
class ListLengthError : public archive_exception {
public:
    explicit ListLengthError(const std::string& detail) {
        append(append(0, "invalid list length - "), detail.c_str());
    }
};

[[noreturn]] void syntaxError() {
    throw xml_archive_exception(xml_archive_exception::xml_archive_parsing_error);
}

// The class and object attributes of one start tag, as numbers.
struct Attributes {
    std::optional<long> classId;
    std::optional<long> classReference;
    std::optional<long> trackingLevel;
    bool version = false;
    bool className = false;
    std::optional<long> objectId;
    std::optional<long> objectReference;
};

// Follows the numbering through the start tags in file order.
class Numbering {
public:
    // `pointer`: the element certainly holds a pointer, which the library reads by the class
    // number of the file.
    void element(const Attributes& a, bool pointer) {
        ++m_Elements;
        if (a.classId && *a.classId == NullPointer) {
            if (a.classReference || a.objectId || a.objectReference)
                throw NumberingError("a null pointer with an object");
            return;
        }
        const std::optional<long> cls = elementClass(a, pointer);
        if (cls)
            checkTracking(*cls, a);
        if (a.objectId)
            newObject(*a.objectId, cls);
        if (a.objectReference)
            objectReference(*a.objectReference, cls);
    }

    // A collection whose items carry no class information; reading its first one may number
    // a class that the file shows no number for.
    void unnumberedCollection() { ++m_UnnumberedSince; }

private:
    static constexpr long NullPointer = -1;
    static constexpr long UnknownClass = -1;

    std::optional<long> elementClass(const Attributes& a, bool pointer) {
        if (a.classId && a.classReference)
            throw NumberingError("class_id and class_id_reference on one element");
        if (a.classId) {
            defineClass(*a.classId, a);
            if (pointer && m_Skipped > 0)
                throw NumberingError("class_id " + std::to_string(*a.classId) +
                                     " after skipped class numbers");
            return a.classId;
        }
        if (a.classReference) {
            if (*a.classReference >= m_ShiftedFrom)
                throw NumberingError("class_id_reference " + std::to_string(*a.classReference) +
                                     " after skipped class numbers");
            if (*a.classReference < 0 ||
                *a.classReference >= static_cast<long>(m_vClassTracked.size()) ||
                m_vClassTracked[*a.classReference] < 0)
                throw NumberingError("class_id_reference " + std::to_string(*a.classReference) +
                                     " names no class");
            return a.classReference;
        }
        return std::nullopt;
    }

    void defineClass(long id, const Attributes& a) {
        const long next = static_cast<long>(m_vClassTracked.size());
        if (id < next)
            throw NumberingError("class_id " + std::to_string(id) + " where " +
                                 std::to_string(next) + " is next");
        // Every class is numbered on an element of its own: at most one per element so far.
        if (id >= m_Elements)
            throw NumberingError("class_id " + std::to_string(id) + " beyond the elements read");
        m_Skipped += std::max(0L, id - next - m_UnnumberedSince);
        if (m_Skipped > 0)
            m_ShiftedFrom = std::min(m_ShiftedFrom, id);
        if (!a.trackingLevel || (*a.trackingLevel != 0 && *a.trackingLevel != 1) || !a.version)
            throw NumberingError("class_id " + std::to_string(id) +
                                 " without tracking_level or version");
        // Skipped numbers belong to classes the file shows no number for: never referable.
        m_vClassTracked.resize(id + 1, -1);
        m_vClassTracked[id] = static_cast<int>(*a.trackingLevel);
        m_UnnumberedSince = 0;
    }

    // An object of a tracked class carries an object number, of an untracked one none.
    void checkTracking(long cls, const Attributes& a) const {
        const bool tracked = m_vClassTracked[cls] == 1;
        const bool numbered = a.objectId || a.objectReference;
        if (tracked && !numbered)
            throw NumberingError("no object_id on tracked class " + std::to_string(cls));
        if (!tracked && numbered)
            throw NumberingError("object_id on untracked class " + std::to_string(cls));
    }

    // The library numbers new objects itself; a number below its own count would be taken for
    // a reference to an object read before.
    void newObject(long id, std::optional<long> cls) {
        if (id < static_cast<long>(m_vObjectClass.size()))
            throw NumberingError("object_id _" + std::to_string(id) + " where _" +
                                 std::to_string(m_vObjectClass.size()) + " is next");
        m_vObjectClass.push_back(cls.value_or(UnknownClass));
    }

    // The library hands out the object it read under that number as an object of the class the
    // reference names: the two must agree.
    void objectReference(long id, std::optional<long> cls) const {
        if (id < 0 || id >= static_cast<long>(m_vObjectClass.size()))
            throw NumberingError("object_id_reference _" + std::to_string(id) + " names no object");
        if (!cls || m_vObjectClass[id] != *cls)
            throw NumberingError("object_id_reference _" + std::to_string(id) +
                                 " to an object of another class");
    }

    // Elements so far, the root's excepted.
    long m_Elements = 0;
    // Per class number: 1 tracked, 0 untracked, -1 a number the file skipped.
    std::vector<int> m_vClassTracked;
    long m_UnnumberedSince = 0;
    // Numbers skipped beyond those of unnumbered collections. The library numbers classes
    // itself as it reads them, so after a skip its numbers fall behind the file's; it uses
    // the file's number only for a pointer, where a number beyond its own table would index
    // past the table's end.
    long m_Skipped = 0;
    // The first class whose number the library has not given it.
    long m_ShiftedFrom = std::numeric_limits<long>::max();
    // Per object in the library's numbering: its class, or UnknownClass when the file does
    // not show it.
    std::vector<long> m_vObjectClass;
};

// Walks the elements of the text in order.
class Scanner {
public:
    explicit Scanner(std::string_view text) : m_Text(text) {}

    void run() {
        skipProlog();
        if (m_Pos >= m_Text.size())
            throw archive_exception(archive_exception::input_stream_error, "no archive");
        while (true) {
            const std::size_t open = m_Text.find('<', m_Pos);
            if (open == std::string_view::npos)
                endOfFile();
            if (!m_vOpen.empty() && m_vOpen.back().reference &&
                m_Text.substr(m_Pos, open - m_Pos).find_first_not_of(" \t\r\n") !=
                    std::string_view::npos)
                referenceWithContent();
            m_Pos = open + 1;
            if (peek() == '/') {
                ++m_Pos;
                endTag(open);
                if (m_vOpen.empty())
                    return; // the root is closed; the library reads nothing after it
            } else {
                startTag();
            }
        }
    }

private:
    struct OpenElement {
        std::string_view name;
        bool namesClass = false;
        bool hasChildren = false;
        // A reference to an object read before, which the library reads nothing more of.
        bool reference = false;
        // Where the text inside the element starts.
        std::size_t content = 0;
        // The count of a list, its first child.
        bool listCount = false;
        // A list: the entries its count announces, and the items read so far.
        std::optional<unsigned long long> announced;
        unsigned long long items = 0;
    };

    [[noreturn]] static void referenceWithContent() {
        throw NumberingError("object_id_reference with content");
    }

    char peek() const { return m_Pos < m_Text.size() ? m_Text[m_Pos] : '\0'; }

    [[noreturn]] void endOfFile() const {
        if (m_vOpen.empty())
            throw archive_exception(archive_exception::input_stream_error, "no archive");
        const std::string inside = "end of file inside <" + std::string(m_vOpen.back().name) + ">";
        throw archive_exception(archive_exception::input_stream_error, inside.c_str());
    }

    void skipSpace() {
        while (m_Pos < m_Text.size() && (m_Text[m_Pos] == ' ' || m_Text[m_Pos] == '\t' ||
                                         m_Text[m_Pos] == '\r' || m_Text[m_Pos] == '\n'))
            ++m_Pos;
    }

    // The XML declaration and the document type line.
    void skipProlog() {
        skipSpace();
        while (m_Text.substr(m_Pos).starts_with("<?") || m_Text.substr(m_Pos).starts_with("<!")) {
            const bool declaration = m_Text[m_Pos + 1] == '?';
            const std::size_t end = m_Text.find(declaration ? "?>" : ">", m_Pos);
            if (end == std::string_view::npos)
                throw archive_exception(archive_exception::input_stream_error, "no archive");
            m_Pos = end + (declaration ? 2 : 1);
            skipSpace();
        }
    }

    static bool nameStart(char c) {
        return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_' || c == ':';
    }
    static bool nameChar(char c) {
        return nameStart(c) || (c >= '0' && c <= '9') || c == '.' || c == '-';
    }

    std::string_view name() {
        if (m_Pos >= m_Text.size())
            endOfFile();
        if (!nameStart(m_Text[m_Pos]))
            syntaxError();
        const std::size_t start = m_Pos;
        while (m_Pos < m_Text.size() && nameChar(m_Text[m_Pos]))
            ++m_Pos;
        return m_Text.substr(start, m_Pos - start);
    }

    void startTag() {
        if (peek() == '?' || peek() == '!')
            syntaxError(); // no declarations, comments or sections inside the archive
        OpenElement element;
        element.name = name();
        const Attributes a = attributes();
        if (peek() != '>')
            syntaxError(); // also an empty-element tag: the library reads no such thing
        ++m_Pos;
        if (!m_vOpen.empty()) {
            OpenElement& parent = m_vOpen.back();
            if (parent.reference)
                referenceWithContent();
            if (!parent.hasChildren && !parent.namesClass && element.name == "count")
                m_Numbering.unnumberedCollection();
            element.listCount = !parent.hasChildren && element.name == "count";
            if (parent.announced && element.name == "item" && ++parent.items > *parent.announced)
                throw ListLengthError("<" + std::string(parent.name) +
                                      "> holds more items than its count of " +
                                      std::to_string(*parent.announced));
            parent.hasChildren = true;
            // A shared pointer holds its object as "px"; only pointers name their class by
            // name or by reference.
            m_Numbering.element(a, element.name == "px" || a.className || a.classReference);
        }
        element.namesClass = a.classId || a.classReference;
        element.reference = a.objectReference.has_value();
        element.content = m_Pos;
        m_vOpen.push_back(element);
    }

    // The library makes room for as many entries as a list's count announces before it reads
    // one: the count must be one the file bears out, and within the longest list a project
    // may hold.
    void listCount(std::string_view text) {
        const std::size_t first = text.find_first_not_of(" \t\r\n");
        const std::size_t last = text.find_last_not_of(" \t\r\n");
        const std::string_view digits = first == std::string_view::npos
                                            ? text.substr(0, 0)
                                            : text.substr(first, last - first + 1);
        unsigned long long count = 0;
        const auto [end, error] =
            std::from_chars(digits.data(), digits.data() + digits.size(), count);
        OpenElement& list = m_vOpen[m_vOpen.size() - 2];
        if (digits.empty() || error != std::errc() || end != digits.data() + digits.size())
            throw ListLengthError("count \"" + std::string(digits) + "\" of <" +
                                  std::string(list.name) + ">");
        if (count > limits::maxListLength)
            throw ListLengthError("count " + std::to_string(count) + " of <" +
                                  std::string(list.name) + "> beyond the most of " +
                                  std::to_string(limits::maxListLength));
        list.announced = count;
    }

    void endTag(std::size_t open) {
        const std::string_view closed = name();
        skipSpace();
        if (peek() != '>') {
            if (m_Pos >= m_Text.size())
                endOfFile();
            syntaxError();
        }
        ++m_Pos;
        if (m_vOpen.empty() || m_vOpen.back().name != closed)
            throw xml_archive_exception(xml_archive_exception::xml_archive_tag_mismatch,
                                        std::string(closed).c_str());
        const OpenElement& element = m_vOpen.back();
        if (element.listCount && !element.hasChildren)
            listCount(m_Text.substr(element.content, open - element.content));
        if (element.announced && element.items != *element.announced)
            throw ListLengthError(
                "<" + std::string(element.name) + "> holds " + std::to_string(element.items) +
                " of the " + std::to_string(*element.announced) + " items its count announces");
        m_vOpen.pop_back();
    }

    Attributes attributes() {
        Attributes a;
        while (true) {
            const std::size_t before = m_Pos;
            skipSpace();
            if (m_Pos >= m_Text.size())
                endOfFile();
            if (!nameStart(m_Text[m_Pos]))
                return a;
            if (m_Pos == before)
                syntaxError();
            const std::string_view key = name();
            skipSpace();
            if (peek() != '=')
                syntaxError();
            ++m_Pos;
            skipSpace();
            if (peek() != '"')
                syntaxError();
            const std::size_t end = m_Text.find('"', m_Pos + 1);
            if (end == std::string_view::npos)
                endOfFile();
            const std::string_view value = m_Text.substr(m_Pos + 1, end - m_Pos - 1);
            m_Pos = end + 1;
            if (key == "class_id")
                a.classId = number(value);
            else if (key == "class_id_reference")
                a.classReference = number(value);
            else if (key == "tracking_level")
                a.trackingLevel = number(value);
            else if (key == "version")
                a.version = true;
            else if (key == "class_name")
                a.className = true;
            else if (key == "object_id")
                a.objectId = objectNumber(value);
            else if (key == "object_id_reference")
                a.objectReference = objectNumber(value);
        }
    }

    static long number(std::string_view text) {
        long value = 0;
        const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
        if (error != std::errc() || end != text.data() + text.size())
            syntaxError();
        return value;
    }

    // Object numbers are written "_N".
    static long objectNumber(std::string_view text) {
        if (!text.starts_with('_'))
            syntaxError();
        const long value = number(text.substr(1));
        if (value < 0)
            syntaxError();
        return value;
    }

    std::string_view m_Text;
    std::size_t m_Pos = 0;
    std::vector<OpenElement> m_vOpen;
    Numbering m_Numbering;
};

} // namespace

void checkArchiveText(std::string_view text) {
    Scanner(text).run();
}

} // namespace tarlo
