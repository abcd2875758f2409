// The demo product's make-up: what its scripts must be for a removal through
// the uninstaller to be complete, and the options the tool refuses.
#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <vector>

#include "tests/wine/WineText.h"
#include "tools/demoproduct/DemoLayout.h"

namespace {

std::vector<std::string> lines(const std::string& script) {
    std::vector<std::string> out;
    std::size_t start = 0;
    for (std::size_t end; (end = script.find("\r\n", start)) != std::string::npos; start = end + 2)
        out.push_back(script.substr(start, end - start));
    out.push_back(script.substr(start));
    return out;
}

using winetest::lower;

bool isBelow(const std::string& path, const std::string& folder) {
    return path.size() > folder.size() && path.compare(0, folder.size(), folder) == 0 &&
           path[folder.size()] == '\\';
}

demo::Options measured() {
    demo::Options options;
    options.apps = 50;
    options.filesPerApp = 200;
    options.typesPerApp = 4;
    return options;
}

TEST(DemoLayout, ScriptsFitWhatTheUninstallerReadsWithCrLfLineEnds) {
    for (const demo::Options& options : {demo::Options{}, measured()}) {
        for (const demo::Application& app : demo::makeLayout(options).apps) {
            EXPECT_LE(app.script.size(), demo::kScriptLimit) << app.title;
            for (const std::string& line : lines(app.script))
                EXPECT_EQ(line.find_first_of("\r\n"), std::string::npos) << app.title;
            EXPECT_EQ(app.script.substr(app.script.size() - 2), "\r\n");
        }
    }
}

TEST(DemoLayout, TheMeasuredProductHasTenThousandFilesAndTwoHundredFileTypes) {
    const demo::Layout layout = demo::makeLayout(measured());
    std::size_t files = 0;
    std::set<std::string> extensions, names, titles;
    bool nested = false;
    for (const demo::Application& app : layout.apps) {
        files += app.files.size();
        titles.insert(app.title);
        for (const demo::FileType& type : app.fileTypes) {
            extensions.insert(lower(type.extension));
            names.insert(lower(type.name));
        }
        for (const std::string& folder : app.folders)
            nested = nested || folder.find('\\', app.folder.size() + 1) != std::string::npos;
    }
    EXPECT_EQ(files, 10000u);
    EXPECT_EQ(extensions.size(), 200u);
    EXPECT_EQ(names.size(), 200u);
    EXPECT_EQ(titles.size(), 50u);
    EXPECT_TRUE(nested);
}

// removekey empties a command's folder and removes it only once it is empty:
// every folder of an application must be some file type's program folder,
// named after its subfolders, and the application's own folder must give the
// name of its Start-menu folder.
TEST(DemoLayout, FileTypesRemoveEveryFolderOfTheirApplicationDeepestFirst) {
    for (const demo::Options& options : {demo::Options{}, measured()}) {
        for (const demo::Application& app : demo::makeLayout(options).apps) {
            std::map<std::string, std::string> folderOfExtension;
            std::set<std::string> programFolders;
            for (const demo::FileType& type : app.fileTypes) {
                EXPECT_NE(type.command.front(), '"') << "a quoted command names no folder";
                const std::string folder = type.command.substr(0, type.command.rfind('\\'));
                EXPECT_EQ(folder, options.installDir + "\\" + type.folder);
                folderOfExtension[type.extension] = type.folder;
                programFolders.insert(type.folder);
            }
            EXPECT_EQ(programFolders,
                      std::set<std::string>(app.folders.begin(), app.folders.end()));
            EXPECT_TRUE(programFolders.count(app.folder)) << "its Start-menu folder stays";

            std::vector<std::string> removed;
            for (const std::string& line : lines(app.script))
                if (line.rfind("removekey=.", 0) == 0)
                    removed.push_back(folderOfExtension.at(line.substr(10)));
            ASSERT_EQ(removed.size(), app.fileTypes.size());
            for (std::size_t i = 0; i < removed.size(); ++i)
                for (std::size_t j = i + 1; j < removed.size(); ++j)
                    EXPECT_FALSE(isBelow(removed[j], removed[i]))
                        << removed[i] << " goes before its subfolder " << removed[j];
        }
    }
}

TEST(DemoLayout, ScriptsDeleteTheirFileTypeKeysAndThemselvesLast) {
    for (const demo::Application& app : demo::makeLayout(demo::Options{}).apps) {
        std::vector<std::string> all = lines(app.script);
        std::vector<std::string> keyed;
        for (const std::string& line : all)
            if (line.rfind("removekey=", 0) == 0) keyed.push_back(line.substr(10));
        for (const demo::FileType& type : app.fileTypes) {
            // The open key loses its last subkey with the command key, then
            // each key up to the file type's own can go.
            auto at = [&](const std::string& key) {
                for (std::size_t i = 0; i < keyed.size(); ++i)
                    if (keyed[i] == key) return static_cast<int>(i);
                return -1;
            };
            const int extension = at(type.extension), open = at(type.name + "\\shell\\open"),
                      shell = at(type.name + "\\shell"), own = at(type.name);
            ASSERT_GE(extension, 0);
            EXPECT_LT(extension, open);
            EXPECT_LT(open, shell);
            EXPECT_LT(shell, own);
        }
        while (all.back().empty()) all.pop_back();
        EXPECT_EQ(all.back(), "removefile=" + app.scriptName);
    }
}

// Variables outlive their script and the table holds 51 names, six of them
// standard: a product of many scripts must reuse a few names.
TEST(DemoLayout, AllScriptsShareAHandfulOfVariableNames) {
    std::set<std::string> keys;
    for (const demo::Application& app : demo::makeLayout(measured()).apps)
        for (const std::string& line : lines(app.script))
            if (line.find('=') != std::string::npos)
                keys.insert(lower(line.substr(0, line.find('='))));
    EXPECT_LE(keys.size(), 8u);
    EXPECT_TRUE(keys.count("title"));
}

TEST(DemoLayout, ScriptsUseQuotesAmpersandsStandardVariablesAndWildcards) {
    const std::string script = demo::makeLayout(demo::Options{}).apps[0].script;
    EXPECT_NE(script.find("title=\"QUOB Reader\""), std::string::npos);
    EXPECT_NE(script.find("READ&ME.TXT"), std::string::npos);
    EXPECT_NE(script.find("$windowDrive$"), std::string::npos);
    EXPECT_NE(script.find("$installtitle$"), std::string::npos);
    EXPECT_NE(script.find("\\*.*"), std::string::npos);
    EXPECT_NE(script.find("removefile=\\$app$"), std::string::npos);
}

TEST(DemoLayout, RefusesOptionsThatMakeNoSoundProduct) {
    auto problem = [](auto change) {
        demo::Options options;
        change(options);
        return demo::checkOptions(options);
    };
    EXPECT_EQ(problem([](demo::Options&) {}), "");
    EXPECT_EQ(problem([](demo::Options& o) { o.installDir = "\\\\server\\share\\QUOB"; }), "");
    for (const char* dir : {"", "C:", "C:\\", "d:\\", "relative\\dir", "\\rooted", "C:\\a\\",
                            "C:\\a\\..\\b", "C:\\a\\.\\b", "C:\\a*b", "C:\\a\\\\b", "C:\\a:b"})
        EXPECT_NE(problem([&](demo::Options& o) { o.installDir = dir; }), "") << dir;
    EXPECT_NE(problem([](demo::Options& o) { o.apps = 0; }), "");
    EXPECT_NE(problem([](demo::Options& o) { o.apps = 100; }), "");
    EXPECT_NE(problem([](demo::Options& o) { o.typesPerApp = 0; }), "");
    EXPECT_NE(problem([](demo::Options& o) { o.filesPerApp = o.typesPerApp; }), "");
    EXPECT_EQ(problem([](demo::Options& o) { o.filesPerApp = o.typesPerApp + 1; }), "");
    // Too many file types for one script.
    EXPECT_NE(problem([](demo::Options& o) {
                  o.typesPerApp = 60;
                  o.filesPerApp = 100;
              }),
              "");
}

TEST(DemoLayout, ShortcutsPointAtFileUrls) {
    EXPECT_EQ(demo::fileUrl("C:\\Program Files\\A#1\\R.TXT"),
              "file:///C:/Program%20Files/A%231/R.TXT");
    EXPECT_EQ(demo::fileUrl("C:\\50%\\\xe9"), "file:///C:/50%25/%E9");
}

}  // namespace
