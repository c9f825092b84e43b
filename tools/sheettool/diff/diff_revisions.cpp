#include "diff_revisions.h"

#include <algorithm>
#include <filesystem>
#include <set>

#include "command_output.h"
#include "design_diff.h"
#include "git_repository.h"
#include "revision_files.h"
#include "sheettool.h"

namespace dovla::sheettool {

namespace {

// One sheet's comparison: its report, or a line that it came or went.
struct SheetReport {
    std::string path;
    bool added = false, removed = false;
    model::DesignDiff diff;
};

// The sheets named on the command line, as paths from the top folder.
std::vector<std::string> namedSheets(const GitRepository& repository,
                                     const std::vector<std::string>& words) {
    std::vector<std::string> paths;
    for (const std::string& word : words)
        paths.push_back((std::filesystem::path(repository.prefix()) / word)
                            .lexically_normal()
                            .generic_string());
    return paths;
}

std::vector<std::string> everySheet(const RevisionFiles& before, const RevisionFiles& after) {
    std::set<std::string> sheets;
    for (const RevisionFiles* side : {&before, &after}) {
        for (const std::string& path : side->files()) {
            if (side->isSheet(path))
                sheets.insert(path);
        }
    }
    return {sheets.begin(), sheets.end()};
}

bool compare(const std::string& path, RevisionFiles& before, RevisionFiles& after,
             const DesignArguments& arguments, SheetReport& report) {
    report.path = path;
    report.added = !before.has(path);
    report.removed = !after.has(path);
    if (report.added && report.removed)
        return refuse("--git: " + path + " is at neither " + before.name() + " nor " +
                      after.name());
    if (report.added || report.removed)
        return true;
    model::Design designs[2];
    RevisionFiles* sides[2] = {&before, &after};
    for (int side = 0; side < 2; ++side) {
        model::Options options = arguments.options;
        std::string sheet;
        if (!sides[side]->prepare(path, sheet, options) ||
            !loadCommandDesign(sheet, options, designs[side]))
            return false;
    }
    report.diff = model::diffDesigns(designs[0], designs[1]);
    for (const std::string& name : report.diff.libraryPartsNotFound)
        std::fprintf(stderr, "sheettool: can't find %s (%s)\n", name.c_str(), path.c_str());
    return true;
}

std::string sideName(const std::string& revision, const std::string& path) {
    return revision.empty() ? path : revision + ":" + path;
}

} // namespace

int diffRevisions(const std::vector<std::string>& words, const DesignArguments& arguments) {
    GitRepository repository;
    if (!repository.open())
        return exitTrouble;
    if (words.empty() || !repository.isRevision(words[0]))
        return trouble("--git: " + (words.empty() ? std::string("OLD") : words[0]) +
                       " is no revision");
    const std::string oldRev = words[0];
    std::size_t next = 1;
    std::string newRev;
    if (words.size() > 1 && repository.isRevision(words[1]))
        newRev = words[next++];
    RevisionFiles before(repository, oldRev);
    RevisionFiles after(repository, newRev);
    std::vector<std::string> paths =
        next < words.size()
            ? namedSheets(repository, {words.begin() + static_cast<long>(next), words.end()})
            : everySheet(before, after);

    std::vector<SheetReport> reports(paths.size());
    for (std::size_t i = 0; i < paths.size(); ++i) {
        if (!compare(paths[i], before, after, arguments, reports[i]))
            return exitTrouble;
    }
    bool changed = false;
    std::string text;
    model::Json sheets = model::Json::array();
    for (const SheetReport& report : reports) {
        const std::string oldName = sideName(oldRev, report.path);
        const std::string newName = sideName(newRev, report.path);
        bool sheetChanged = report.added || report.removed || !report.diff.empty();
        changed = changed || sheetChanged;
        if (arguments.json) {
            model::Json entry = report.added || report.removed
                                    ? model::Json{{"old", model::jsonString(oldName)},
                                                  {"new", model::jsonString(newName)},
                                                  {"changed", true}}
                                    : model::diffJson(report.diff, oldName, newName);
            entry["path"] = model::jsonString(report.path);
            entry["sheetAdded"] = report.added;
            entry["sheetRemoved"] = report.removed;
            sheets.push_back(entry);
        } else if (report.added) {
            text += model::reportLine("sheet added: " + newName);
        } else if (report.removed) {
            text += model::reportLine("sheet removed: " + oldName);
        } else if (sheetChanged) {
            text +=
                model::reportLine("diff " + oldName + " " + newName) + model::diffText(report.diff);
        }
    }
    if (arguments.json)
        text = model::Json{{"format", model::jsonFormat},
                           {"old", model::jsonString(oldRev)},
                           {"new", newRev.empty() ? model::Json(nullptr)
                                                  : model::Json(model::jsonString(newRev))},
                           {"changed", changed},
                           {"sheets", sheets}}
                   .dump() +
               "\n";
    std::vector<std::string> inputs = after.inputs();
    if (!writeCommandOutput(arguments.output, text, inputs))
        return exitTrouble;
    return changed ? exitFound : exitClean;
}

} // namespace dovla::sheettool
