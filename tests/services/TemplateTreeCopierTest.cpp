#include "services/TemplateTreeCopier.h"
#include "platform/LiveFileSystem.h"
#include "platform/ResourceLocator.h"
#include "support/FailingFileSystem.h"
#include "support/SandboxFileSystem.h"

#include <gtest/gtest.h>

using namespace tovr;
using namespace tovr::test;

namespace {

const QString kHome = "/Users/dev";
const QString kResources = "/app/Resources";

// Copies the real resource tree into the sandbox, so every run starts from what ships.
void copyResources(SandboxFileSystem& fs, const QString& from, const QString& to) {
    LiveFileSystem live;
    for (const auto& name : live.contentsOfDirectory(from)) {
        bool dir = false;
        live.fileExists(from + "/" + name, &dir);
        if (dir)
            copyResources(fs, from + "/" + name, to + "/" + name);
        else
            fs.createFile(to + "/" + name, live.readData(from + "/" + name));
    }
}

std::shared_ptr<SandboxFileSystem> macWithResources() {
    auto fs = std::make_shared<SandboxFileSystem>(kHome);
    copyResources(*fs, resourcesDirectory(), kResources);
    return fs;
}

} // namespace

TEST(TemplateTreeCopier, DefaultCopyGoesToDocumentsOnceAndNeverAgain) {
    auto fs = macWithResources();
    const TemplateTreeCopier copier{fs};
    for (const auto projectTemplate : allProjectTemplates) {
        const QString folder = TemplateTreeCopier::folderName(projectTemplate);
        const QString project = kHome + "/Documents/" + folder;
        EXPECT_EQ(copier.createExample(projectTemplate, std::nullopt, kResources),
                  (WriterReport{{"Created your project at ~/Documents/" + folder + "."}, true}));
        for (const QString name : {"/README.md", "/CLAUDE.md", "/AGENTS.md"})
            EXPECT_EQ(fs->contents(project + name),
                      fs->contents(kResources + "/example-projects/" + folder + name));

        fs->createFile(project + "/README.md", "my notes");
        EXPECT_EQ(copier.createExample(projectTemplate, std::nullopt, kResources),
                  (WriterReport{{"A project already exists at ~/Documents/" + folder +
                                 " — leaving it as is."},
                                true}));
        EXPECT_EQ(fs->contents(project + "/README.md"), "my notes");
    }
    // Hidden files ship under a "dot." name.
    EXPECT_TRUE(fs->fileExists(kHome + "/Documents/AI-Coding-Project/.gitignore"));
    EXPECT_FALSE(fs->fileExists(kHome + "/Documents/AI-Coding-Project/dot.gitignore"));
}

TEST(TemplateTreeCopier, MergeKeepsTheUsersFilesAndWritesExamplesBesideThem) {
    auto fs = macWithResources();
    const QString chosen = "/Volumes/Work/site";
    fs->createFile(chosen + "/CLAUDE.md", "my claude");
    fs->createFile(chosen + "/AGENTS.md", "my agents");
    fs->createFile(chosen + "/README.md", "my readme");
    const TemplateTreeCopier copier{fs};
    const QString kept = "You already had AGENTS.md and CLAUDE.md — wrote AGENTS-example.md and "
                         "CLAUDE-example.md instead (your files are untouched).";

    EXPECT_EQ(copier.createExample(ProjectTemplate::simple, chosen, kResources),
              (WriterReport{{"Added the example files to /Volumes/Work/site.", kept}, true}));
    EXPECT_EQ(fs->contents(chosen + "/CLAUDE.md"), "my claude");
    EXPECT_EQ(fs->contents(chosen + "/AGENTS.md"), "my agents");
    EXPECT_EQ(fs->contents(chosen + "/README.md"), "my readme");
    const QString source = kResources + "/example-projects/AI-Simple-Project";
    EXPECT_EQ(fs->contents(chosen + "/CLAUDE-example.md"), fs->contents(source + "/CLAUDE.md"));
    EXPECT_EQ(fs->contents(chosen + "/AGENTS-example.md"), fs->contents(source + "/AGENTS.md"));
    EXPECT_TRUE(fs->fileExists(chosen + "/notes"));
    EXPECT_FALSE(fs->fileExists(chosen + "/README-example.md"));

    // A second merge writes nothing new but still names the kept files.
    fs->createFile(chosen + "/CLAUDE-example.md", "edited example");
    EXPECT_EQ(copier.createExample(ProjectTemplate::simple, chosen, kResources).lines,
              (QStringList{"Added the example files to /Volumes/Work/site.", kept}));
    EXPECT_EQ(fs->contents(chosen + "/CLAUDE-example.md"), "edited example");

    // A chosen folder that does not exist yet is created; nothing was kept.
    EXPECT_EQ(copier.createExample(ProjectTemplate::simple, kHome + "/new", kResources),
              (WriterReport{{"Added the example files to ~/new."}, true}));
}

TEST(TemplateTreeCopier, TreeNamesAndProtectedNamesInSubfolders) {
    auto fs = std::make_shared<SandboxFileSystem>(kHome);
    const QString tpl = "/tpl";
    fs->createFile(tpl + "/dot.env", "KEY=");
    fs->createFile(tpl + "/dot.github/workflows/ci.yml", "on: push");
    fs->createFile(tpl + "/docs/CLAUDE.md", "template docs claude");
    fs->createFile(tpl + "/docs/guide.md", "template guide");
    const QString dest = "/work";
    fs->createFile(dest + "/docs/CLAUDE.md", "user docs claude");
    fs->createFile(dest + "/docs/guide.md", "user guide");
    fs->createFile(dest + "/.env", "SECRET=1");

    const auto report = TemplateTreeCopier{fs}.createProject(tpl, dest, true);
    EXPECT_TRUE(report.ok);
    EXPECT_EQ(report.lines.last(), "You already had CLAUDE.md — wrote CLAUDE-example.md instead "
                                   "(your files are untouched).");
    EXPECT_EQ(fs->contents(dest + "/.env"), "SECRET=1");
    EXPECT_EQ(fs->contents(dest + "/.github/workflows/ci.yml"), "on: push");
    EXPECT_EQ(fs->contents(dest + "/docs/CLAUDE.md"), "user docs claude");
    EXPECT_EQ(fs->contents(dest + "/docs/CLAUDE-example.md"), "template docs claude");
    EXPECT_EQ(fs->contents(dest + "/docs/guide.md"), "user guide");

    auto fresh = std::make_shared<SandboxFileSystem>(kHome);
    fresh->createFile(tpl + "/dot.env", "KEY=");
    ASSERT_TRUE(TemplateTreeCopier{fresh}.createProject(tpl, kHome + "/p", false).ok);
    EXPECT_EQ(fresh->contents(kHome + "/p/.env"), "KEY=");
}

TEST(TemplateTreeCopier, FailuresAreReportedAndANewProjectIsNotLeftHalfMade) {
    auto sandbox = macWithResources();
    auto fs = std::make_shared<FailingFileSystem>(sandbox, "/notes/todo.md");
    const QString project = kHome + "/Documents/AI-Simple-Project";
    const auto report =
        TemplateTreeCopier{fs}.createExample(ProjectTemplate::simple, std::nullopt, kResources);
    EXPECT_EQ(report, (WriterReport{{"Couldn't create the project at ~/Documents/"
                                     "AI-Simple-Project: No space left on device"},
                                    false}));
    EXPECT_FALSE(sandbox->fileExists(project));
    EXPECT_TRUE(sandbox->fileExists(kHome + "/Documents"));
    // The next run starts afresh instead of finding "a project".
    EXPECT_TRUE(TemplateTreeCopier{sandbox}
                    .createExample(ProjectTemplate::simple, std::nullopt, kResources)
                    .lines[0]
                    .startsWith("Created your project"));

    // In a folder of the user's, what was written stays.
    const auto merged =
        TemplateTreeCopier{fs}.createExample(ProjectTemplate::simple, kHome + "/mine", kResources);
    EXPECT_EQ(merged.lines,
              QStringList{"Couldn't add the example files to ~/mine: No space left on device"});
    EXPECT_TRUE(sandbox->fileExists(kHome + "/mine/README.md"));

    auto empty = std::make_shared<SandboxFileSystem>(kHome);
    EXPECT_EQ(
        TemplateTreeCopier{empty}.createExample(ProjectTemplate::coding, std::nullopt, kResources),
        (WriterReport{{"Couldn't find the bundled AI-Coding-Project template in the app — "
                       "this build may be missing its project resources."},
                      false}));
    EXPECT_EQ(TemplateTreeCopier{empty}.createProject("/nowhere", kHome + "/p", false),
              (WriterReport{{"Couldn't find the bundled project template at /nowhere."}, false}));
}

TEST(TemplateTreeCopier, ExampleNamesAndDisplayPaths) {
    EXPECT_EQ(TemplateTreeCopier::exampleName("CLAUDE.md"), "CLAUDE-example.md");
    EXPECT_EQ(TemplateTreeCopier::exampleName("archive.tar.gz"), "archive.tar-example.gz");
    EXPECT_EQ(TemplateTreeCopier::exampleName("Makefile"), "Makefile-example");
    EXPECT_EQ(TemplateTreeCopier::exampleName(".env"), ".env-example");

    const TemplateTreeCopier copier{std::make_shared<SandboxFileSystem>(kHome)};
    EXPECT_EQ(copier.displayPath(kHome + "/Documents/X"), "~/Documents/X");
    EXPECT_EQ(copier.displayPath(kHome), "~");
    EXPECT_EQ(copier.displayPath("/Users/devon/X"), "/Users/devon/X");
}
