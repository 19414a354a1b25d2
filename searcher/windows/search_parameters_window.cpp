#include "searcher/windows/search_parameters_window.h"

#include "searcher/engine/search_parameters.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace melo::melodar {

namespace {

// A field bound to one tolerance: it shows the value and writes every change back.
QSpinBox* Field(int maximum, int32_t& tolerance, QWidget* parent) {
  auto* field = new QSpinBox(parent);
  field->setRange(0, maximum);
  QObject::connect(field, &QSpinBox::valueChanged, parent, [&tolerance](int value) { tolerance = value; });
  return field;
}

}  // namespace

TForm24::TForm24(SearchParameters& params, QWidget* parent)
    : QWidget(parent, Qt::Window),
      params_(params),
      band_(Field(255, params.bandTolerance, this)),
      amplitude_(Field(255, params.amplitudeTolerance, this)),
      sum_(Field(1000, params.sumTolerance, this)),
      spoiled_(Field(100, params.spoiledPercent, this)),
      votes_(Field(1000, params.landmarkVotes, this)),
      score_(Field(10000, params.landmarkScore, this)) {
  setWindowTitle(QStringLiteral("Параметры поиска"));
  setMinimumWidth(320);
  auto* form = new QFormLayout;
  form->addRow(QStringLiteral("Разница в спектрах"), band_);
  form->addRow(QStringLiteral("Разница амплитуд %"), amplitude_);
  form->addRow(QStringLiteral("Итоговая разница"), sum_);
  form->addRow(QStringLiteral("Кадров вне допуска %"), spoiled_);
  form->addRow(QStringLiteral("Ориентиров на одно смещение"), votes_);
  form->addRow(QStringLiteral("Оценка ответа (десятые доли)"), score_);
  auto* buttons = new QDialogButtonBox;
  connect(buttons->addButton(QStringLiteral("Закрыть"), QDialogButtonBox::RejectRole), &QPushButton::clicked, this,
          &QWidget::close);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addWidget(buttons);
  UpdateSearchParameters();
}

void TForm24::UpdateSearchParameters() {
  // Each field writes back what it shows, so copying in changes nothing else.
  band_->setValue(params_.bandTolerance);
  amplitude_->setValue(params_.amplitudeTolerance);
  sum_->setValue(params_.sumTolerance);
  spoiled_->setValue(params_.spoiledPercent);
  votes_->setValue(params_.landmarkVotes);
  score_->setValue(params_.landmarkScore);
}

}  // namespace melo::melodar
