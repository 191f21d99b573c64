#include "batch/Study.h"

#include <toml++/toml.h>

#include <filesystem>
#include <glob.h>
#include <limits>
#include <map>
#include <set>

namespace tarlo::batch {

namespace fs = std::filesystem;

namespace {

constexpr std::int64_t MAX_SEED = std::numeric_limits<std::uint32_t>::max();

// The name of a file less its folder and extension; either separator counts, as a project
// made on Windows may name its traffic file "C:\Data\jan.cas".
std::string baseName(const std::string& path) {
    const std::size_t slash = path.find_last_of("\\/");
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    const std::size_t dot = name.rfind('.');
    if (dot != std::string::npos && dot > 0)
        name.erase(dot);
    return name;
}

bool isGlob(const std::string& pattern) {
    return pattern.find_first_of("*?[") != std::string::npos;
}

// The files matching a pattern, sorted.
std::vector<std::string> globFiles(const std::string& pattern) {
    std::vector<std::string> files;
    glob_t matches{};
    if (::glob(pattern.c_str(), 0, nullptr, &matches) == 0)
        for (std::size_t i = 0; i < matches.gl_pathc; ++i)
            if (fs::is_regular_file(matches.gl_pathv[i]))
                files.emplace_back(matches.gl_pathv[i]);
    ::globfree(&matches);
    return files;
}

// A traffic file of a project: where it is, and how the results name it.
struct TrafficFile {
    std::string path;
    std::string name;
};

class StudyReader {
public:
    StudyReader(const std::string& path, const ProjectTraffic& projectTraffic)
        : m_Path(path), m_Folder(fs::absolute(path).lexically_normal().parent_path()),
          m_ProjectTraffic(projectTraffic) {}

    StudyReading read() {
        toml::table table;
        try {
            table = toml::parse_file(m_Path);
        } catch (const toml::parse_error& error) {
            addError(error.source(), std::string(error.description()));
            return finish();
        }
        m_Study.output = (m_Folder / fs::path(m_Path).stem()).string();
        bool projects = false;
        for (auto&& [key, node] : table) {
            if (key == "output")
                readOutput(node);
            else if (key == "project")
                projects = readProjects(node);
            else
                unknownKey(key);
        }
        if (!projects && m_vErrors.empty())
            m_vErrors.push_back(m_Path + ": no [[project]] listed");
        if (!m_Study.output.ends_with('/'))
            m_Study.output += '/';
        planFolders();
        return finish();
    }

private:
    // A project table as read, before its runs are made.
    struct ProjectEntry {
        RunSpec base;
        std::vector<TrafficFile> traffic;
        std::vector<std::uint32_t> seeds;
        toml::source_region where;
    };

    void addError(const toml::source_region& where, const std::string& message) {
        m_vErrors.push_back(m_Path + ":" + std::to_string(where.begin.line) + ": " + message);
    }

    void unknownKey(const toml::key& key) {
        addError(key.source(), "unknown key '" + std::string(key.str()) + "'");
    }

    std::string resolve(const std::string& path) const {
        return (m_Folder / path).lexically_normal().string();
    }

    void readOutput(const toml::node& node) {
        const auto* text = node.as_string();
        if (!text || text->get().empty()) {
            addError(node.source(), "'output' must be a folder name");
            return;
        }
        m_Study.output = resolve(text->get());
    }

    bool readProjects(const toml::node& node) {
        const auto* list = node.as_array();
        if (!list || !list->is_array_of_tables()) {
            addError(node.source(), "'project' must be tables, each under [[project]]");
            return true;
        }
        for (const toml::node& element : *list)
            readProject(*element.as_table());
        return !list->empty();
    }

    void readProject(const toml::table& table) {
        ProjectEntry entry;
        entry.where = table.source();
        bool file = false;
        bool seeds = false;
        const toml::node* traffic = nullptr;
        for (auto&& [key, node] : table) {
            if (key == "file") {
                file = true;
                readProjectFile(node, entry);
            } else if (key == "seeds") {
                seeds = true;
                readSeeds(node, entry.seeds);
            } else if (key == "traffic") {
                traffic = &node;
            } else {
                unknownKey(key);
            }
        }
        if (!file) {
            addError(entry.where, "the project needs a 'file'");
            return;
        }
        if (!seeds)
            addError(entry.where, "the project needs 'seeds'");
        if (traffic)
            readTraffic(*traffic, entry.traffic);
        else if (!entry.base.project.empty())
            addProjectTraffic(entry);
        m_vProjects.push_back(std::move(entry));
    }

    void readProjectFile(const toml::node& node, ProjectEntry& entry) {
        const auto* text = node.as_string();
        if (!text || text->get().empty()) {
            addError(node.source(), "'file' must be the name of a project file");
            return;
        }
        entry.base.projectName = text->get();
        const std::string path = resolve(text->get());
        if (!fs::is_regular_file(path))
            addError(node.source(), "project '" + text->get() + "' not found");
        else
            entry.base.project = path;
    }

    // The project's own traffic file: the runs are named after it.
    void addProjectTraffic(ProjectEntry& entry) {
        const std::optional<std::string> stored = m_ProjectTraffic(entry.base.project);
        if (!stored) {
            addError(entry.where, "project '" + entry.base.projectName + "' cannot be read");
            return;
        }
        entry.traffic.push_back({"", *stored});
    }

    // A whole number that can be a seed, or nothing after reporting it.
    std::optional<std::uint32_t> seedValue(const toml::node& node) {
        const auto* number = node.as_integer();
        if (!number || number->get() < 0 || number->get() > MAX_SEED) {
            addError(node.source(), "a seed must be a whole number from 0 to 4294967295");
            return std::nullopt;
        }
        return static_cast<std::uint32_t>(number->get());
    }

    void readSeeds(const toml::node& node, std::vector<std::uint32_t>& seeds) {
        if (const auto* list = node.as_array()) {
            if (list->empty())
                addError(node.source(), "'seeds' lists no seed");
            std::set<std::uint32_t> seen;
            for (const toml::node& element : *list) {
                const std::optional<std::uint32_t> seed = seedValue(element);
                if (!seed)
                    continue;
                if (!seen.insert(*seed).second)
                    addError(element.source(), "seed " + std::to_string(*seed) + " listed twice");
                else
                    seeds.push_back(*seed);
            }
        } else if (const auto* range = node.as_table()) {
            readSeedRange(*range, seeds);
        } else {
            addError(node.source(), "'seeds' must be a list [1, 2] or a range "
                                    "{ first = 1, last = 10 }");
        }
    }

    void readSeedRange(const toml::table& range, std::vector<std::uint32_t>& seeds) {
        std::optional<std::uint32_t> first;
        std::optional<std::uint32_t> last;
        bool valid = true;
        for (auto&& [key, node] : range) {
            if (key == "first" || key == "last") {
                const std::optional<std::uint32_t> seed = seedValue(node);
                valid = valid && seed;
                (key == "first" ? first : last) = seed;
            } else {
                unknownKey(key);
            }
        }
        if (!valid)
            return;
        if (!first || !last) {
            addError(range.source(), "a seed range needs 'first' and 'last'");
            return;
        }
        if (*first > *last) {
            addError(range.source(), "the seed range " + std::to_string(*first) + " to " +
                                         std::to_string(*last) + " is empty");
            return;
        }
        if (std::uint64_t{*last} - *first >= MAX_SEED_RANGE) {
            addError(range.source(), "the seed range " + std::to_string(*first) + " to " +
                                         std::to_string(*last) + " holds more than " +
                                         std::to_string(MAX_SEED_RANGE) + " seeds");
            return;
        }
        for (std::uint64_t seed = *first; seed <= *last; ++seed)
            seeds.push_back(static_cast<std::uint32_t>(seed));
    }

    void readTraffic(const toml::node& node, std::vector<TrafficFile>& files) {
        if (const auto* text = node.as_string()) {
            readTrafficEntry(node, text->get(), files);
            return;
        }
        const auto* list = node.as_array();
        if (!list || list->empty()) {
            addError(node.source(), "'traffic' must be a file or glob, or a list of them");
            return;
        }
        for (const toml::node& element : *list) {
            if (const auto* text = element.as_string())
                readTrafficEntry(element, text->get(), files);
            else
                addError(element.source(), "a traffic entry must be a file or glob");
        }
    }

    void readTrafficEntry(const toml::node& node, const std::string& entry,
                          std::vector<TrafficFile>& files) {
        const std::string path = resolve(entry);
        if (!isGlob(entry)) {
            if (fs::is_regular_file(path))
                files.push_back({path, entry});
            else
                addError(node.source(), "traffic file '" + entry + "' not found");
            return;
        }
        const std::vector<std::string> matches = globFiles(path);
        if (matches.empty())
            addError(node.source(), "'" + entry + "' matches no file");
        for (const std::string& match : matches)
            files.push_back({match, fs::path(match).lexically_relative(m_Folder).string()});
    }

    // Every run of every project, each in a folder of its own.
    void planFolders() {
        std::map<std::string, std::size_t> lineOfFolder;
        for (const ProjectEntry& entry : m_vProjects) {
            for (const TrafficFile& traffic : entry.traffic) {
                for (std::uint32_t seed : entry.seeds) {
                    RunSpec run = entry.base;
                    run.traffic = traffic.path;
                    run.trafficName = traffic.name;
                    run.seed = seed;
                    run.folder = m_Study.output + baseName(run.project) + '/' +
                                 baseName(traffic.name) + "/seed-" + std::to_string(seed) + '/';
                    const auto [taken, fresh] =
                        lineOfFolder.emplace(run.folder, entry.where.begin.line);
                    if (!fresh) {
                        addError(entry.where, "the run of '" + traffic.name + "' with seed " +
                                                  std::to_string(seed) + " writes to " +
                                                  run.folder + ", as a run of line " +
                                                  std::to_string(taken->second) + " does");
                        continue;
                    }
                    m_Study.runs.push_back(std::move(run));
                }
            }
        }
    }

    StudyReading finish() {
        StudyReading reading;
        reading.errors = std::move(m_vErrors);
        if (reading.errors.empty())
            reading.study = std::move(m_Study);
        return reading;
    }

    std::string m_Path;
    fs::path m_Folder;
    const ProjectTraffic& m_ProjectTraffic;
    Study m_Study;
    std::vector<ProjectEntry> m_vProjects;
    std::vector<std::string> m_vErrors;
};

} // namespace

StudyReading readStudy(const std::string& path, const ProjectTraffic& projectTraffic) {
    return StudyReader(path, projectTraffic).read();
}

} // namespace tarlo::batch
