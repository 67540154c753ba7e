#include "app/DocumentLoader.h"

#include "clock/Music.h"
#include "database/Database.h"
#include "database/DocumentCheck.h"
#include "database/ObjectType.h"
#include "gui/Gui.h"
#include "resources/DocumentText.h"
#include "resources/LoadResource.h"
#include "resources/ResourceFolder.h"

#include <tinyxml.h>

#include <utility>

namespace {

constexpr const char* linkedName = "Demo.xml";

// The database's reasons for the last failure, or `fallback` when it gave none.
std::vector<std::string> reasons(const Database& database, const std::string& fallback) {
    std::vector<std::string> lines = database.loadProblems();
    if (lines.empty()) lines.push_back(fallback);
    return lines;
}

}  // namespace

std::string DocumentLoader::sourceName(const std::string& file) { return file.empty() ? linkedName : file; }

const char* DocumentLoader::message(Failure failure, bool linked) {
    switch (failure) {
    case Failure::None: return "";
    case Failure::Read: return linked ? "Cannot open database resource" : "XML loading and parsing error";
    case Failure::Parse: return linked ? "XML parsing error" : "XML loading and parsing error";
    case Failure::Database: return "The database cannot load";
    case Failure::Music: return "Cannot load music.";
    case Failure::Gui: return "Cannot load Gui.";
    }
    return "";
}

DocumentLoader::Result DocumentLoader::load(const Options& options, LoadedDocument& into) {
    {
        LoadedDocument empty;
        into.swap(empty);  // the old version goes whole, in its own order
    }
    const bool linked = options.file.empty();
    const std::string source = sourceName(options.file);
    Result result;
    auto fail = [&](Failure failure, std::vector<std::string> lines) {
        result.failure = failure;
        result.problems = std::move(lines);
        return result;
    };

    std::string read;
    const std::string* text = options.text;
    if (text == nullptr) {
        std::string problem;
        if (linked) {
            const ResourceData resource = loadResource(linkedName);
            if (!resource) return fail(Failure::Read, {source + ": not carried by the executable"});
            read.assign(reinterpret_cast<const char*>(resource.data), resource.size);
        } else if (!readDocumentText(options.file, &read, &problem)) {
            return fail(Failure::Read, {DocumentCheck::format(source, {0, "", problem})});
        }
        text = &read;
    }
    const std::string& parsed = options.merged ? *options.merged : *text;
    into.text = parsed;

    // The document saves to its file; the linked one to "demo.xml" in the working folder.
    into.document = std::make_unique<TiXmlDocument>(linked ? "demo.xml" : options.file.c_str());
    DocumentProblem parseProblem;
    if (!DocumentCheck::parse(parsed, *into.document, &parseProblem))
        return fail(Failure::Parse, {DocumentCheck::format(source, parseProblem)});
    if (!linked) into.folder = std::make_shared<ResourceFolder>(options.file);  // files beside it
    if (options.upTo == Stage::Document) return result;

    into.database = std::make_unique<Database>();
    into.database->setSourceName(source);
    into.database->setLeavingOutBrokenItems(options.leaveOutBrokenItems);
    into.database->setFolder(into.folder);
    if (!into.database->load(into.document.get())) return fail(Failure::Database, {source + ": no \"demo\" element"});
    into.database->setText(parsed);                   // what saves keep of every element without edits
    if (!linked) into.database->setDiskText(*text);  // what the file holds, seen
    // Every problem zodcheck would list, in its words: a broken object must not just go missing.
    for (const DocumentProblem& problem : DocumentCheck::check(*into.document, into.folder.get()))
        into.findings.push_back(DocumentCheck::format(source, problem));
    if (options.upTo == Stage::Database) return result;

    into.music = static_cast<Music*>(into.database->music(TypeMusic));
    if (into.music == nullptr) return fail(Failure::Music, reasons(*into.database, source + ": Music: no music of that name"));
    if (options.upTo == Stage::Music) return result;

    into.gui = std::make_unique<Gui>();
    if (!into.gui->init(into.database.get(), options.display, options.authoring))
        return fail(Failure::Gui, reasons(*into.database, source + ": the editor cannot be built"));
    if (!into.gui->hasRootVisual()) {
        result.problems = into.gui->rootProblems();
        if (result.problems.empty()) result.problems.push_back(source + ": Main: the root visual does not load");
    }
    into.gui->getEditor()->setFindings(into.findings);
    return result;
}

std::vector<std::string> DocumentLoader::check(const std::string& file) {
    Options options;
    options.file = file;
    options.upTo = Stage::Document;
    LoadedDocument loaded;
    Result result = load(options, loaded);
    if (!result) return std::move(result.problems);
    std::vector<std::string> lines;
    for (const DocumentProblem& problem : DocumentCheck::check(*loaded.document, loaded.folder.get(), loaded.folder.get()))
        lines.push_back(DocumentCheck::format(sourceName(file), problem));
    return lines;
}
