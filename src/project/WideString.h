#pragma once

#include <boost/serialization/access.hpp>
#include <boost/serialization/nvp.hpp>
#include <boost/serialization/split_member.hpp>
#include <boost/serialization/string.hpp>
#include <boost/serialization/tracking.hpp>

#include <string>
#include <string_view>

namespace tarlo {

// Decodes UTF-8; bytes that do not form a valid sequence become U+FFFD.
std::wstring utf8ToWide(std::string_view text);

// Text as project files hold it: an object with one item "value", the text as a wide string.
// The text stays UTF-8 in memory; the wrapper only exists while an archive is written or read.
class WideString {
public:
    explicit WideString(std::string& text) : m_Text(text) {}

private:
    friend class boost::serialization::access;

    template <class Archive> void save(Archive& ar, const unsigned /*version*/) const {
        const std::wstring wide = utf8ToWide(m_Text);
        ar << boost::serialization::make_nvp("value", wide);
    }

    // The XML archive writes wide text as UTF-8, but reads it back through the C library's
    // locale; reading the bytes as they stand keeps loading independent of the locale.
    template <class Archive> void load(Archive& ar, const unsigned /*version*/) {
        ar >> boost::serialization::make_nvp("value", m_Text);
    }

    BOOST_SERIALIZATION_SPLIT_MEMBER()

    std::string& m_Text;
};

// Writes or reads one text member under its own name.
template <class Archive> void serializeText(Archive& ar, const char* name, std::string& text) {
    WideString wrapper(text);
    ar& boost::serialization::make_nvp(name, wrapper);
}

} // namespace tarlo

// The wrappers live on the stack while they are written, so two of them may share an address:
// they must never be tracked as objects. The archive shows tracking level 0 as for any text.
BOOST_CLASS_TRACKING(tarlo::WideString, boost::serialization::track_never)
