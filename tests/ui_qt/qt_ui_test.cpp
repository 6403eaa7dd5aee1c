#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QTimer>
#include <chrono>
#include <cstdlib>
#include <memory>

#include "tests/ui/editor_cases.h"
#include "toolkit/ui/qt/qt_ui.h"

namespace hl::ui {
namespace {

// One QApplication for the whole run; each test gets its own QtUi over it.
class QtEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    app_ = std::make_unique<QApplication>(argc_, argv_);
  }
  void TearDown() override { app_.reset(); }

 private:
  int argc_ = 1;
  char name_[11] = "test_ui_qt";
  char* argv_[2] = {name_, nullptr};
  std::unique_ptr<QApplication> app_;
};

const auto* const kEnvironment = ::testing::AddGlobalTestEnvironment(new QtEnvironment);

class QtUiTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ui = std::make_unique<QtUi>(argc, argv);
    ASSERT_TRUE(ui->OpenFrame(0, 5, 5, 1010, 720, "Main", FrameStyle::Titled, -1));
    ui->AddLogEditor(2, 5, 370, 480, 195);
    ui->AddImageView(1, 490, 5, 512, 560, false);
    ui->AddTextField(5, 620, 660, 80, 24, "6000");
    ui->AddPushButton(11, 510, 660, 50, 24, "Load");
    ui->AddImageView(21, 5, 570, 480, 136, true);
  }
  void TearDown() override {
    ui.reset();
    QCoreApplication::processEvents();
  }

  QRect GeometryOf(int gadget) { return ui->WidgetForTest(gadget)->geometry(); }
  void Click(int gadget) { static_cast<QPushButton*>(ui->WidgetForTest(gadget))->click(); }

  int argc = 0;
  char** argv = nullptr;
  std::unique_ptr<QtUi> ui;
};

class QtEditorScript : public QtUiTest,
                       public ::testing::WithParamInterface<testing::EditorCase> {};

TEST_P(QtEditorScript, ReadsBackFromTheWidget) {
  testing::RunEditorOps(*ui, 2, GetParam().ops);
  EXPECT_EQ(ui->ReadText(2), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, QtEditorScript, ::testing::ValuesIn(testing::EditorCases()),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(QtUiTest, EditorTakesThousandsOfLinesQuickly) {
  const auto start = std::chrono::steady_clock::now();
  std::string expected;
  for (int i = 0; i < 5000; ++i) {
    const std::string line = "line " + std::to_string(i);
    ui->AppendLine(2, line);
    expected += (i ? "\r\n" : "") + line;
  }
  EXPECT_EQ(ui->ReadText(2), expected);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
}

TEST_F(QtUiTest, ImageViewTakesTheImageSize) {
  for (const hl::testing::ImageViewStep& step : hl::testing::ImageViewSteps()) {
    const auto image = raster::Image::Create(step.width, step.height);
    ui->ShowImage(step.gadget, &*image);
    const QRect expected(step.expected.x, step.expected.y, step.expected.width,
                         step.expected.height);
    EXPECT_EQ(GeometryOf(step.gadget), expected) << step.width << "x" << step.height;
    // The picture fills the inside of the edge exactly.
    EXPECT_EQ(ui->WidgetForTest(step.gadget)->contentsRect().size(),
              QSize(step.width, step.height));
  }
  ui->ShowImage(21, nullptr);
  EXPECT_EQ(GeometryOf(21), QRect(5, 570, 484, 140));
  EXPECT_TRUE(static_cast<QLabel*>(ui->WidgetForTest(21))->pixmap().isNull());
}

TEST_F(QtUiTest, ButtonClickRaisesGadgetEventUnlessDisabled) {
  ui->SetEnabled(11, false);
  Click(11);
  EXPECT_EQ(ui->PollEvent(), 0);
  ui->SetEnabled(11, true);
  Click(11);
  EXPECT_EQ(ui->PollEvent(), kGadgetEvent);
  EXPECT_EQ(ui->EventSource(), 11);
}

TEST_F(QtUiTest, ImageClicksRaiseGadgetEvents) {
  QWidget* view = ui->WidgetForTest(1);
  const QPointF at(3, 3);
  for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonDblClick}) {
    QMouseEvent click(type, at, view->mapToGlobal(at), Qt::RightButton, Qt::RightButton,
                      Qt::NoModifier);
    QCoreApplication::sendEvent(view, &click);
    EXPECT_EQ(ui->PollEvent(), kGadgetEvent);
    EXPECT_EQ(ui->EventSource(), 1);
  }
  ui->SetEnabled(1, false);
  QMouseEvent click(QEvent::MouseButtonPress, at, view->mapToGlobal(at), Qt::LeftButton,
                    Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(view, &click);
  EXPECT_EQ(ui->PollEvent(), 0);
}

TEST_F(QtUiTest, TypingIntoTheFieldRaisesAnEventButSettingItDoesNot) {
  ui->SetText(5, "1234");
  EXPECT_EQ(ui->PollEvent(), 0);
  QKeyEvent key(QEvent::KeyPress, Qt::Key_5, Qt::NoModifier, "5");
  QCoreApplication::sendEvent(ui->WidgetForTest(5), &key);
  EXPECT_EQ(ui->PollEvent(), kGadgetEvent);
  EXPECT_EQ(ui->EventSource(), 5);
  EXPECT_EQ(ui->ReadText(5), "12345");
}

TEST_F(QtUiTest, CloseRequestIsReportedAndTheWindowStays) {
  QWidget* window = ui->WindowForTest(0);
  window->close();
  EXPECT_TRUE(window->isVisible());
  EXPECT_EQ(ui->PollEvent(), kCloseEvent);
  EXPECT_EQ(ui->WindowForTest(0), window);
}

// The screen window has no title bar: Escape must reach the tool from the
// window itself and through a gadget that has the keyboard.
TEST_F(QtUiTest, EscapeIsReportedFromEveryWindow) {
  ASSERT_TRUE(ui->OpenFrame(1, 1, 1, 40, 30, "Screen 40 x 30", FrameStyle::Bare, 0));
  ui->AddImageView(100, 0, 0, 40, 30, false);
  for (QWidget* target : {ui->WindowForTest(1), ui->WidgetForTest(100), ui->WidgetForTest(5)}) {
    QKeyEvent other(QEvent::KeyPress, Qt::Key_Space, Qt::NoModifier, " ");
    QCoreApplication::sendEvent(ui->WindowForTest(1), &other);
    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &escape);
    EXPECT_EQ(ui->PollEvent(), kEscapeEvent) << target->metaObject()->className();
    EXPECT_EQ(ui->PollEvent(), 0);
  }
}

TEST_F(QtUiTest, EmptyQueueAnswersZero) {
  EXPECT_EQ(ui->PollEvent(), 0);
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(ui->WaitEvent(50), 0);
  const auto waited = std::chrono::steady_clock::now() - start;
  EXPECT_GE(waited, std::chrono::milliseconds(45));
  EXPECT_LT(waited, std::chrono::seconds(2));
}

TEST_F(QtUiTest, WaitsReturnAsSoonAsAGadgetIsUsed) {
  auto* button = static_cast<QPushButton*>(ui->WidgetForTest(11));
  QTimer::singleShot(10, button, &QPushButton::click);
  EXPECT_EQ(ui->WaitEvent(), kGadgetEvent);
  EXPECT_EQ(ui->EventSource(), 11);

  QTimer::singleShot(10, button, &QPushButton::click);
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(ui->WaitEvent(5000), kGadgetEvent);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
}

TEST_F(QtUiTest, FramesHaveFixedClientSizeAndOwnedScreenWindowGoesWithItsOwner) {
  QWidget* main_window = ui->WindowForTest(0);
  EXPECT_EQ(main_window->size(), QSize(1010, 720));
  EXPECT_EQ(main_window->minimumSize(), main_window->maximumSize());
  EXPECT_FALSE(main_window->windowFlags() & Qt::WindowMinMaxButtonsHint);

  ASSERT_TRUE(ui->OpenFrame(1, 1, 1, 64, 48, "Screen 64 x 48", FrameStyle::Bare, 0));
  ui->AddImageView(100, 0, 0, 64, 48, false);
  QWidget* screen = ui->WindowForTest(1);
  EXPECT_TRUE(screen->windowFlags() & Qt::FramelessWindowHint);
  EXPECT_EQ(screen->parentWidget(), main_window);
  EXPECT_EQ(ui->WidgetForTest(100)->window(), screen);

  ui->CloseFrame(1);
  EXPECT_EQ(ui->WindowForTest(1), nullptr);
  EXPECT_EQ(ui->WidgetForTest(100), nullptr);

  ui->OpenFrame(1, 1, 1, 64, 48, "Screen", FrameStyle::Bare, 0);
  ui->AddImageView(100, 0, 0, 64, 48, false);
  ui->CloseFrame(0);
  EXPECT_EQ(ui->WindowForTest(1), nullptr);
  EXPECT_EQ(ui->WidgetForTest(100), nullptr);
  EXPECT_EQ(ui->WidgetForTest(11), nullptr);
  ui->SetText(2, "ignored");  // numbers no longer in use are ignored
  EXPECT_EQ(ui->ReadText(2), "");
}

TEST_F(QtUiTest, RemovedAndMovedGadgets) {
  ui->MoveControl(2, 5, 5, 997, 560);
  EXPECT_EQ(GeometryOf(2), QRect(5, 5, 997, 560));
  ui->RemoveControl(1);
  EXPECT_EQ(ui->WidgetForTest(1), nullptr);
  ui->ShowImage(1, nullptr);
}

TEST_F(QtUiTest, PresetFolderChoiceFollowsTheSlashRule) {
  ui->PresetFolderChoice("/base//");
  EXPECT_EQ(ui->ChooseFolder("Directory", "/work/"), "/base/");
  ui->PresetFolderChoice("");
  EXPECT_EQ(ui->ChooseFolder("Directory", "/work/"), "");
}

TEST_F(QtUiTest, ClipboardGetsTheText) {
  ui->PutClipboardText("chs=600x400\r\nchd=t:1,2");
  EXPECT_EQ(QGuiApplication::clipboard()->text().toStdString(), "chs=600x400\r\nchd=t:1,2");
}

}  // namespace
}  // namespace hl::ui
