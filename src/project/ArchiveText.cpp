#include "project/ArchiveText.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace tarlo {

namespace fs = std::filesystem;
using boost::archive::archive_exception;

std::string archiveOpening() {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\" ?>\n"
           "<!DOCTYPE boost_serialization>\n"
           "<boost_serialization signature=\"serialization::archive\" version=\"" +
           std::to_string(ArchiveLayoutVersion) + "\">\n";
}

void throwStreamError(archive_exception::exception_code code, const char* reason) {
    throw archive_exception(code, reason);
}

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throwStreamError(archive_exception::input_stream_error, std::strerror(errno));
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad())
        throwStreamError(archive_exception::input_stream_error, std::strerror(errno));
    return text;
}

std::string withLf(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (!(text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n'))
            out += text[i];
    }
    return out;
}

std::string withCrLf(const std::string& text) {
    std::string out;
    out.reserve(text.size() + text.size() / 16);
    for (char ch : text) {
        if (ch == '\n')
            out += '\r';
        out += ch;
    }
    return out;
}

void replaceFile(const std::string& target, const std::string& contents) {
    std::error_code ignored;
    const std::string temp = target + ".new";
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        if (!out)
            throwStreamError(archive_exception::output_stream_error, std::strerror(errno));
        out.write(contents.data(), static_cast<std::streamsize>(contents.size()));
        out.close();
        if (!out) {
            const int error = errno;
            fs::remove(temp, ignored);
            throwStreamError(archive_exception::output_stream_error, std::strerror(error));
        }
    }
    std::error_code renameError;
    fs::rename(temp, target, renameError);
    if (renameError) {
        fs::remove(temp, ignored);
        throwStreamError(archive_exception::output_stream_error, renameError.message().c_str());
    }
}

} // namespace tarlo
