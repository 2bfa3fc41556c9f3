// The editors' shared shell: the order of its steps around an editor's own, the
// paths it proposes, and the messages of a failed open or save.
#include <QLabel>
#include <QMessageBox>

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "common/ui/editor_shell_dialog.h"
#include "common/ui/warning_dialog.h"
#include "ui/path_answers.h"
#include "ui/when_shown.h"

namespace {

const EditorFileKind fakeFiles{"Fake", "Fake files", "fak", true, "Not opened.", "Opened with problems:", "Not saved."};

const DialogTemplate& fakeLayout()
{
    static const DialogTemplate t{"Fake", 200, 100, 8, {{ControlKind::Static, 1, "", {5, 5, 60, 10}, NoWrap}}};
    return t;
}

// Logs each step the shell asks of it; answers as its members say.
class FakeEditor : public EditorShellDialog {
public:
    FakeEditor() : EditorShellDialog(fakeLayout(), fakeFiles, nullptr) {}
    std::vector<std::string> log;
    OpenOutcome opening;
    WriteOutcome writing{true, {}};
    bool ready = true;
    bool fresh = true;
    std::string path = "/data/now.fak";

protected:
    bool firstNewOrOpen() const override { return fresh; }
    QString overwriteQuestion() const override { return QStringLiteral("Replace?"); }
    void storeDocument() override { log.push_back("store"); }
    void showDocument() override { log.push_back("show"); }
    void clearDocument() override { log.push_back("clear"); }
    OpenOutcome openFile(const std::string& p) override { return log.push_back("open " + p), opening; }
    std::string documentPath() const override { return path; }
    bool readyToSave() override { return log.push_back("ready"), ready; }
    WriteOutcome writeFile(const std::string& p) override { return log.push_back("write " + p), writing; }
    void newOrOpenDone() override { log.push_back("done"); }
    void saveDone() override { log.push_back("saved"); }
};

using Log = std::vector<std::string>;

}  // namespace

TEST(EditorShell, OpenStoresFirstAndShowsAfterWhateverComesOfIt)
{
    FakeEditor e;
    PathAnswers paths({"", "/d/a.fak", "/d/b.fak"});
    e.setPathChooser(paths.chooser());
    e.openDocument();
    EXPECT_EQ(e.log, (Log{"store", "show", "done"})) << "cancelled";
    EXPECT_EQ(paths.proposed().back(), "*.fak");

    e.log.clear();
    e.opening = {false, "cannot open /d/a.fak: No such file or directory", {}};
    QString text;
    whenShown<QMessageBox>([&](QMessageBox& box) {
        text = box.text();
        box.accept();
    });
    e.openDocument();
    EXPECT_EQ(e.log, (Log{"store", "open /d/a.fak", "show", "done"}));
    EXPECT_EQ(text, "Not opened.\n\ncannot open /d/a.fak: No such file or directory");

    e.opening = {true, {}, {"one", "two"}};
    whenShown<QMessageBox>([&](QMessageBox& box) {
        text = box.text();
        box.accept();
    });
    e.openDocument();
    EXPECT_EQ(text, "Opened with problems:\n\none\ntwo");

    // A question that is cancelled leaves everything as it was.
    e.log.clear();
    e.fresh = false;
    whenShown<WarningDialog>([](WarningDialog& w) { w.reject(); });
    e.openDocument();
    whenShown<WarningDialog>([](WarningDialog& w) { w.reject(); });
    e.newDocument();
    EXPECT_TRUE(e.log.empty());
    whenShown<WarningDialog>([](WarningDialog& w) { w.accept(); });
    e.newDocument();
    EXPECT_EQ(e.log, (Log{"clear", "show", "done"}));
}

TEST(EditorShell, SaveProposesTheFileAndSaveAsThePatternAndRefusalsAskNothing)
{
    FakeEditor e;
    PathAnswers paths({"/d/x.fak", ""});
    e.setPathChooser(paths.chooser());
    e.save();
    e.saveAs();
    EXPECT_EQ(paths.proposed(), (std::vector<QString>{"/data/now.fak", "*.fak"}));
    EXPECT_EQ(e.log, (Log{"store", "ready", "write /d/x.fak", "saved", "show", "store", "ready", "saved", "show"}));

    e.log.clear();
    e.ready = false;
    e.save();
    EXPECT_EQ(paths.proposed().size(), 2u) << "no file dialog for a refused save";
    EXPECT_EQ(e.log, (Log{"store", "ready", "saved", "show"}));

    e.ready = true;
    e.writing = {false, "cannot write /d/y.fak: Permission denied"};
    paths.next(QString("/d/y.fak"));
    QString text;
    whenShown<QMessageBox>([&](QMessageBox& box) {
        text = box.text();
        box.accept();
    });
    e.save();
    EXPECT_EQ(text, "Not saved.\n\ncannot write /d/y.fak: Permission denied");
}

// Each editor has its own path chooser: one set later on another editor of the same
// kind leaves it.
TEST(EditorShell, PathChoosersArePerEditor)
{
    FakeEditor e;
    PathAnswers paths;
    e.setPathChooser(paths.chooser());
    FakeEditor other;
    PathAnswers otherPaths;
    other.setPathChooser(otherPaths.chooser());
    e.openDocument();
    EXPECT_TRUE(otherPaths.proposed().empty());
    EXPECT_EQ(paths.proposed().size(), 1u);
}
