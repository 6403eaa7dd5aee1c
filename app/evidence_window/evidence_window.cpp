#include "app/evidence_window/evidence_window.h"

#include <QFileDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>
#include <QWidget>
#include <filesystem>

namespace hl::evidence {
namespace {

// Beside the main window (at 5, 5, 1010 wide) on a 1920 x 1080 screen.
constexpr int kLeft = 1035;
constexpr int kTop = 5;
constexpr int kWidth = 860;
constexpr int kHeight = 720;
constexpr int kSurveyPollMs = 100;

QString Joined(const std::vector<std::string>& lines) {
  QStringList joined;
  for (const std::string& line : lines) joined << QString::fromStdString(line);
  return joined.join('\n');
}

std::string ChooseWithDialog(QWidget* parent, const std::string& initial) {
  const QString chosen =
      QFileDialog::getExistingDirectory(parent, QStringLiteral("Publish results page"),
                                        QString::fromStdString(initial), QFileDialog::ShowDirsOnly);
  return chosen.isEmpty() ? "" : chosen.toStdString() + "/";
}

}  // namespace

struct EvidenceWindow::Impl {
  decisions::Decisions& decisions;
  const state::AppState& s;
  FolderChooser choose;
  std::unique_ptr<QWidget> window;
  QLabel* heading = nullptr;
  QLineEdit* reason = nullptr;
  QPlainTextEdit* findings = nullptr;
  QLabel* penalty = nullptr;
  QLabel* status = nullptr;
  QPushButton* publish = nullptr;
  QPushButton* record = nullptr;
  QTimer survey_poll;
  std::string entry_shown;
  int32_t step_shown = 0;

  Impl(decisions::Decisions& d, const state::AppState& state, FolderChooser chooser)
      : decisions(d), s(state), choose(std::move(chooser)) {}

  void Build() {
    window = std::make_unique<QWidget>();
    window->setWindowTitle(QStringLiteral("Evidence"));
    window->setAttribute(Qt::WA_ShowWithoutActivating);
    window->setGeometry(kLeft, kTop, kWidth, kHeight);
    auto* layout = new QVBoxLayout(window.get());
    heading = new QLabel(window.get());
    QFont bold = heading->font();
    bold.setBold(true);
    heading->setFont(bold);
    // Created first, so Tab reaches it first.
    reason = new QLineEdit(window.get());
    reason->setPlaceholderText(QStringLiteral("saved with the penalty on \"Strafe\""));
    auto* reason_label = new QLabel(QStringLiteral("&Reason:"), window.get());
    reason_label->setBuddy(reason);
    auto* reason_row = new QHBoxLayout;
    reason_row->addWidget(reason_label);
    reason_row->addWidget(reason, 1);
    findings = new QPlainTextEdit(window.get());
    findings->setReadOnly(true);
    findings->setTabChangesFocus(true);
    findings->setFont(QFont(QStringLiteral("DejaVu Sans Mono")));
    penalty = new QLabel(window.get());
    penalty->setTextInteractionFlags(Qt::TextSelectableByMouse);
    status = new QLabel(window.get());
    status->setWordWrap(true);
    status->setTextInteractionFlags(Qt::TextSelectableByMouse);
    publish = new QPushButton(QStringLiteral("&Publish results page\u2026"), window.get());
    record = new QPushButton(QStringLiteral("Record &fingerprints"), window.get());
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(publish);
    buttons->addWidget(record);
    buttons->addStretch(1);
    layout->addWidget(heading);
    layout->addLayout(reason_row);
    layout->addWidget(new QLabel(QStringLiteral("Findings:"), window.get()));
    layout->addWidget(findings, 1);
    layout->addWidget(penalty);
    layout->addWidget(status);
    layout->addLayout(buttons);
    QWidget::setTabOrder(reason, findings);
    QWidget::setTabOrder(findings, publish);
    QWidget::setTabOrder(publish, record);

    QObject::connect(reason, &QLineEdit::textEdited, window.get(),
                     [this](const QString& text) { decisions.SetReason(text.toStdString()); });
    QObject::connect(publish, &QPushButton::clicked, window.get(), [this] { Publish(); });
    QObject::connect(record, &QPushButton::clicked, window.get(), [this] {
      decisions.RecordFingerprints(s);
      Show();
    });
    QObject::connect(&survey_poll, &QTimer::timeout, window.get(), [this] {
      if (decisions.Poll()) {
        survey_poll.stop();
        Show();
      }
    });
  }

  void Publish() {
    // Beside the competition folder: a page inside it would count as an entry.
    const std::string beside = std::filesystem::path(s.BaseDir).parent_path().parent_path();
    const std::string folder = choose ? choose(beside) : ChooseWithDialog(window.get(), beside);
    decisions.Publish(s, folder);
    Show();
  }

  void Show() {
    const decisions::EvidenceView& view = decisions.View();
    if (view.entry != entry_shown) {
      entry_shown = view.entry;
      reason->setText(QString::fromStdString(view.reason));
    }
    std::string title =
        view.ranked ? "Ranked: " + std::to_string(s.RankingList.Count()) + " entries" : view.entry;
    heading->setText(QString::fromStdString(title));
    reason->setEnabled(!view.ranked);
    QString text = Joined(view.findings);
    if (view.copies_pending && !view.entry.empty())
      text += QStringLiteral("\n(comparing with the other entries\u2026)");
    findings->setPlainText(text);
    penalty->setText(Joined(view.penalty));
    status->setText(QString::fromStdString(view.status));
    publish->setEnabled(view.ranked);
    record->setEnabled(view.ranked);
  }
};

EvidenceWindow::EvidenceWindow(decisions::Decisions& decisions, const state::AppState& s,
                               FolderChooser choose)
    : impl_(std::make_unique<Impl>(decisions, s, std::move(choose))) {}

EvidenceWindow::~EvidenceWindow() = default;

// A window closed by the organiser comes back with the next entry.
void EvidenceWindow::Follow() {
  if (impl_->s.StepCounter == 0 || impl_->s.BaseDir.empty()) return;
  if (!impl_->window) {
    impl_->Build();
    impl_->survey_poll.start(kSurveyPollMs);
  }
  if (impl_->s.StepCounter != impl_->step_shown) {
    impl_->step_shown = impl_->s.StepCounter;
    impl_->window->show();
  }
  impl_->Show();
}

QWidget* EvidenceWindow::WidgetForTest() const { return impl_->window.get(); }

}  // namespace hl::evidence
