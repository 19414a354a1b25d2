#include "gui/file_chooser.h"
#include "searcher/capture/capture_ring.h"
#include "searcher/windows/database_errors_window.h"
#include "searcher/windows/history_window.h"
#include "searcher/windows/main_window.h"
#include "searcher/windows/query_results_window.h"
#include "searcher/capture/qt_audio_platform.h"
#include "searcher/windows/search_parameters_window.h"
#include "searcher/app/searcher_session.h"
#include "searcher/app/text_table_model.h"
#include "tests/searcher/windows/melodar_window_test.h"
#include "tests/support/event_loop.h"
#include "tests/support/program_run.h"
#include "tests/support/recording_dialogs.h"
#include "tests/support/temp_dir.h"

#include <QAction>
#include <QActionGroup>
#include <QChart>
#include <QDeadlineTimer>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QSpinBox>
#include <QStatusBar>
#include <QValueAxis>
#include <QXYSeries>
#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace melo::melodar {
namespace {

using testing::RecordingDialogs;
using testing::RunsOk;
using testing::Sqlite3;
using testing::SpinUntil;
using testing::TempDir;

class MainWindowTest : public MelodarWindowTest {
 protected:
  QPushButton* Button(const char* name) const { return window_->findChild<QPushButton*>(name); }
  QString Status(int panel) const {
    return window_->statusBar()->findChildren<QLabel*>(QString(), Qt::FindDirectChildrenOnly)[panel]->text();
  }
  bool Heard(int seconds) const {
    return session_->IndexLoaded() && session_->Sound().Ring()->Total() >= uint64_t(seconds) * 48000;
  }
};

TEST_F(MainWindowTest, SearchesWaitForTheLoadWhichReportsItsUnreadableRows) {
  const QString damaged = files_.Path("damaged.db");
  QFile::copy(Library(), damaged);
  Sqlite3(damaged, "CREATE TABLE Loose AS SELECT * FROM Data; UPDATE Loose SET index_data = NULL WHERE id = 2;"
                   "DROP TABLE Data; ALTER TABLE Loose RENAME TO Data;");
  TForm1& window = Open(damaged);
  // The loader hands its end to this thread, which has not turned its loop yet.
  Button("searchButton")->click();
  Button("autoButton")->click();
  EXPECT_EQ(dialogs_.messages, QStringList(2, "Дождитесь завершения загрузки базы данных!"));
  EXPECT_EQ(Button("autoButton")->text(), "Автопоиск");

  ASSERT_TRUE(SpinUntil([&] { return session_->IndexLoaded(); }));
  EXPECT_TRUE(dialogs_.messages.contains("В процессе загрузки базы данных были обнаружены ошибки!"));
  EXPECT_TRUE(window.LoadErrorsWindow()->isVisible());
  EXPECT_EQ(window.LoadErrorsWindow()->GroupCaption(), "Сообщения об ошибках (1)");
  EXPECT_EQ(Status(1), "Аудио треков: 1");
  EXPECT_EQ(Status(3), "Ошибок чтения: 1");
  EXPECT_EQ(window.windowTitle(), "Melodar - " + damaged);
}

TEST_F(MainWindowTest, TheSearchButtonNamesThePlayingTrackFromSevenSecondsOfIt) {
  TForm1& window = Open(Library());
  QList<SearchReport> reports;
  session_->AddSearchListener([&](const SearchReport& r) { reports.append(r); });
  MainMenu::Item(window.Menu().querySize, 7)->trigger();
  ASSERT_TRUE(SpinUntil([&] { return Heard(8); })) << dialogs_.messages.join('|').toStdString();

  Button("searchButton")->click();
  Button("searchButton")->click();  // its result has not been handed over yet
  EXPECT_EQ(dialogs_.messages, QStringList{"Поиск ещё не завершён!"});
  ASSERT_TRUE(SpinUntil([&] { return !reports.isEmpty(); }));

  EXPECT_EQ(session_->Query().Length(), 336000);
  EXPECT_EQ(window.findChild<QLineEdit*>()->text(), "sweeping_glide_track");
  ASSERT_TRUE(reports[0].outcome.Found());
  EXPECT_EQ(reports[0].parameters.value(0).first, "Позиция=");
  EXPECT_EQ(reports[0].queryStartInTrack, reports[0].outcome.entries[0].position - 336000);
  EXPECT_EQ(session_->History().Filled(), 1);
  EXPECT_TRUE(reports[0].countersLine.startsWith("\tParameters.RealCount=2\t"));

  // The result windows heard of it too; opened, the query's window draws the hit's
  // stored key points on the query's seven seconds.
  EXPECT_EQ(window.QueryResultsWindow()->Results().Cell(0, 4), "sweeping_glide_track");
  EXPECT_EQ(window.HistoryWindow()->History().Lines(), QStringList{reports[0].historyLine});
  window.Menu().queryAndResults->trigger();
  const QChart* chart = window.QueryResultsWindow()->Chart();
  EXPECT_EQ(static_cast<QValueAxis*>(chart->axes(Qt::Horizontal).first())->max(), 336000);
  const auto* best = static_cast<QXYSeries*>(chart->series()[2]);
  EXPECT_EQ(best->name(), "Результат 1");
  EXPECT_GE(best->count(), 7);
}

// A query file in another format than the searcher's own is decoded, as
// melodar-cli decodes it, rather than read as 48 kHz mono; every outcome is said.
TEST_F(MainWindowTest, AnOpenedQueryOfAnyFormatIsDecodedAndEveryOutcomeSaid) {
  TForm1& window = Open(Library());
  ASSERT_TRUE(SpinUntil([&] { return session_->IndexLoaded(); }));
  const QString cut = files_.Path("cut.wav"), unknown = files_.Path("unknown.flac");
  ASSERT_TRUE(RunsOk("sox", {Playing(), "-r", "44100", "-c", "2", cut, "trim", "10", "12"}));
  ASSERT_TRUE(RunsOk("sox", {"-n", "-r", "44100", "-c", "1", unknown, "synth", "6", "square", "97", "gain", "-6"}));
  int reports = 0;
  int64_t startInTrack = -1;
  session_->AddSearchListener([&](const SearchReport& report) {
    ++reports;
    startInTrack = report.queryStartInTrack;
  });
  chooser_.answers = {cut, files_.Write("junk.wav", QByteArray(5000, 'j')), unknown};

  window.Menu().openQuery->trigger();
  ASSERT_TRUE(SpinUntil([&] { return reports == 1; })) << dialogs_.messages.join('|').toStdString();
  EXPECT_EQ(window.findChild<QLineEdit*>()->text(), "sweeping_glide_track");
  // Searched whole, the 12 s cut starts where it was cut, not the query seconds before its end.
  EXPECT_NEAR(static_cast<double>(startInTrack) / 48000, 10.0, 0.5);
  EXPECT_TRUE(dialogs_.messages.isEmpty()) << dialogs_.messages.join('|').toStdString();
  window.Menu().openQuery->trigger();
  EXPECT_EQ(dialogs_.messages, QStringList{"Ошибка декодирования файла!"});
  window.Menu().openQuery->trigger();
  ASSERT_TRUE(SpinUntil([&] { return reports == 2; }));
  EXPECT_EQ(window.findChild<QLineEdit*>()->text(), "");
  EXPECT_EQ(dialogs_.messages.value(1), "Совпадений в базе данных не найдено!");
}

TEST_F(MainWindowTest, ModeItemsSetTheTolerancesTheParametersWindowShows) {
  TForm1& window = Open(Library());
  TForm24* parameters = window.SearchParametersWindow();
  struct Row {
    SearchMode mode;
    QList<int> tolerances;  // Tb, Ta, Ts, frames allowed beyond Tb (percent)
    QueryAnalysis analysis;
  };
  for (const Row& row : {Row{SearchMode::Thorough, {10, 20, 15, 0}, QueryAnalysis::Plain},
                         Row{SearchMode::Noisy, {20, 25, 30, 20}, QueryAnalysis::NoiseRobust},
                         Row{SearchMode::Scrupulous, {15, 25, 20, 0}, QueryAnalysis::Plain},
                         Row{SearchMode::Robust, {15, 25, 20, 0}, QueryAnalysis::Landmarks},
                         Row{SearchMode::Fast, {5, 15, 10, 0}, QueryAnalysis::Plain}}) {
    MainMenu::Item(window.Menu().mode, static_cast<int>(row.mode))->trigger();
    const SearchParameters& p = session_->Parameters();
    EXPECT_EQ(QList<int>({p.bandTolerance, p.amplitudeTolerance, p.sumTolerance, p.spoiledPercent}), row.tolerances);
    EXPECT_EQ(p.analysis, row.analysis);
    EXPECT_EQ(QList<int>({parameters->BandTolerance()->value(), parameters->AmplitudeTolerance()->value(),
                          parameters->SumTolerance()->value(), parameters->SpoiledPercent()->value()}),
              row.tolerances);
  }
  parameters->SumTolerance()->setValue(700);
  EXPECT_EQ(session_->Parameters().sumTolerance, 700);
  parameters->LandmarkScore()->setValue(80);
  EXPECT_EQ(session_->Parameters().landmarkScore, 80);
}

TEST_F(MainWindowTest, AutomaticSearchTogglesItsCaptionAndNeverStacksSearches) {
  TForm1& window = Open(Library());
  int started = 0, reports = 0;
  session_->onSearchAttempt = [&](LiveSearch::Outcome o) { started += o == LiveSearch::Outcome::Started; };
  session_->AddSearchListener([&](const SearchReport&) { ++reports; });
  MainMenu::Item(window.Menu().interval, 500)->trigger();
  ASSERT_TRUE(SpinUntil([&] { return Heard(5); }));

  Button("autoButton")->click();
  EXPECT_EQ(Button("autoButton")->text(), "Стоп");
  ASSERT_TRUE(SpinUntil([&] { return reports >= 3; }));
  window.Menu().automatic->trigger();  // Ctrl+U turns it off as the button does
  EXPECT_EQ(Button("autoButton")->text(), "Автопоиск");
  session_->WaitForSearch();
  const int handedOver = reports;
  testing::Spin(1500);
  EXPECT_EQ(reports, handedOver);
  EXPECT_EQ(started, reports);  // each search started was handed over once
  EXPECT_TRUE(dialogs_.messages.isEmpty()) << dialogs_.messages.join('|').toStdString();
}

TEST_F(MainWindowTest, WithoutADatabaseMelobanksIsOfferedAndTheChosenOneIsSaved) {
  QSettings(files_.Path("data/Melobank.ini"), QSettings::IniFormat)
      .setValue("DataBase/DBPath", Library());
  chooser_.answers = {Library()};
  Open(files_.Path("none.db"));
  // Nothing loads: a search says what is missing rather than to wait.
  Button("searchButton")->click();
  Button("autoButton")->click();
  const QString noDatabase =
      "База данных не выбрана: выберите её в меню «База данных» → «Выбрать базу данных» (Ctrl+B)!";
  EXPECT_EQ(dialogs_.messages, QStringList(2, noDatabase));
  ASSERT_TRUE(SpinUntil([&] { return restarts_ > 0; }, 5000));
  ASSERT_EQ(chooser_.requests.size(), 1);
  EXPECT_EQ(chooser_.requests[0].title, "Открыть базу данных");
  EXPECT_EQ(chooser_.requests[0].startDir, Library());
  EXPECT_TRUE(dialogs_.messages.contains("Чтобы изменения вступили в силу требуется перезапуск приложения!"));
  const QSettings ini(files_.Path("data/Melodar.ini"), QSettings::IniFormat);
  EXPECT_EQ(ini.value("DataBase/DBPath").toString(), Library());
}

}  // namespace
}  // namespace melo::melodar
