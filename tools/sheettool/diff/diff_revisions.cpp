#include "diff_revisions.h"

#include <algorithm>
#include <filesystem>
#include <memory>
#include <set>

#include "command_output.h"
#include "design_diff.h"
#include "git_repository.h"
#include "review_page.h"
#include "revision_files.h"
#include "sheettool.h"

namespace dovla::sheettool {

namespace {

// One sheet's comparison: its report, or a line that it came or went.
struct SheetReport {
    std::string path;
    bool added = false, removed = false;
    model::DesignDiff diff;
    // For a review page: the revisions' designs (the one there is, for a
    // sheet added or removed).
    std::unique_ptr<model::Design> designs[2];
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
             const DesignArguments& arguments, bool keepDesigns, SheetReport& report) {
    report.path = path;
    report.added = !before.has(path);
    report.removed = !after.has(path);
    if (report.added && report.removed)
        return refuse("--git: " + path + " is at neither " + before.name() + " nor " +
                      after.name());
    if ((report.added || report.removed) && !keepDesigns)
        return true;
    RevisionFiles* sides[2] = {&before, &after};
    for (int side = 0; side < 2; ++side) {
        if (side == 0 ? report.added : report.removed)
            continue;
        model::Options options = arguments.options;
        std::string sheet;
        report.designs[side] = std::make_unique<model::Design>();
        if (!sides[side]->prepare(path, sheet, options) ||
            !loadCommandDesign(sheet, options, *report.designs[side]))
            return false;
    }
    if (report.added || report.removed)
        return true;
    report.diff = model::diffDesigns(*report.designs[0], *report.designs[1]);
    if (!keepDesigns) {
        report.designs[0].reset();
        report.designs[1].reset();
    }
    for (const std::string& name : report.diff.libraryPartsNotFound)
        std::fprintf(stderr, "sheettool: can't find %s (%s)\n", name.c_str(), path.c_str());
    return true;
}

std::string sideName(const std::string& revision, const std::string& path) {
    return revision.empty() ? path : revision + ":" + path;
}

} // namespace

int diffRevisions(const std::vector<std::string>& words, const DesignArguments& arguments,
                  bool html) {
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
        if (!compare(paths[i], before, after, arguments, html, reports[i]))
            return exitTrouble;
    }
    bool changed = false;
    std::string text;
    model::Json sheets = model::Json::array();
    std::vector<review::ReviewFile> pages;
    for (const SheetReport& report : reports) {
        const std::string oldName = sideName(oldRev, report.path);
        const std::string newName = sideName(newRev, report.path);
        bool sheetChanged = report.added || report.removed || !report.diff.empty();
        changed = changed || sheetChanged;
        if (html) {
            if (sheetChanged)
                pages.push_back({report.path, oldName, newName, report.designs[0].get(),
                                 report.designs[1].get(), &report.diff,
                                 report.added     ? "sheet added: " + newName
                                 : report.removed ? "sheet removed: " + oldName
                                                  : ""});
        } else if (arguments.json) {
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
    if (html)
        text =
            review::reviewPage(pages, oldRev + " -> " + (newRev.empty() ? after.name() : newRev));
    else if (arguments.json)
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
