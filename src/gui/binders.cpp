#include "gui/binders.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QGridLayout>
#include <QRadioButton>
#include <QSignalBlocker>

#include "gui/qt_text.h"

namespace orvessa::gui {

QString menuText(const model::Command& command) {
    QString text = toQt(command.caption());
    if (!command.shortcut().empty()) {
        text += QLatin1Char('\t') + toQt(command.shortcut());
    }
    return text;
}

QString cssColor(model::Color color) {
    return QStringLiteral("#%1%2%3")
        .arg(color & 0xFF, 2, 16, QLatin1Char('0'))
        .arg((color >> 8) & 0xFF, 2, 16, QLatin1Char('0'))
        .arg((color >> 16) & 0xFF, 2, 16, QLatin1Char('0'));
}

void disconnectWith(QObject* owner, model::Signal<>& signal, int id) {
    QObject::connect(owner, &QObject::destroyed, [&signal, id] { signal.disconnect(id); });
}

void bindAction(model::Command& command, QAction* action) {
    action->setObjectName(toQt(command.name()));
    const bool checkable = command.kind() == model::CommandKind::RadioItem ||
                           command.kind() == model::CommandKind::CheckBox;
    action->setCheckable(checkable);
    auto sync = [&command, action] {
        action->setText(menuText(command));
        action->setToolTip(toQt(command.hint()));
        action->setEnabled(command.enabled());
        action->setVisible(command.visible());
        if (action->isCheckable()) {
            action->setChecked(command.checked());
        }
    };
    sync();
    disconnectWith(action, command.changed, command.changed.connect(sync));
    QObject::connect(action, &QAction::triggered, action, [&command, sync] {
        command.click();
        sync();
    });
}

void bindButton(model::Command& command, QAbstractButton* button) {
    button->setObjectName(toQt(command.name()));
    auto sync = [&command, button] {
        button->setText(toQt(command.caption()));
        button->setToolTip(toQt(command.hint()));
        button->setEnabled(command.enabled());
        button->setVisible(command.visible());
        if (button->isCheckable()) {
            button->setChecked(command.checked());
        }
    };
    button->setCheckable(command.kind() == model::CommandKind::CheckBox);
    sync();
    disconnectWith(button, command.changed, command.changed.connect(sync));
    QObject::connect(button, &QAbstractButton::clicked, button, [&command, sync] {
        command.click();
        sync();
    });
}

void bindText(model::TextControl& control, QLabel* label) {
    label->setObjectName(toQt(control.name()));
    auto sync = [&control, label] {
        // A hidden label lays its text out all the same: the clock's hidden text, new every
        // second, would pay for it each time. It takes its text when it is shown.
        if (control.visible()) {
            label->setText(toQt(control.text()));
        }
        // Black is the window's ordinary text: a skin's text colour, not black on a dark skin.
        const QString sheet = control.color() == model::kBlack
                                  ? QString()
                                  : QStringLiteral("color: %1").arg(cssColor(control.color()));
        // Setting even the same style sheet polishes the label again: labels whose text changes
        // every second (the clock's, the hints) would pay for it each time.
        if (label->styleSheet() != sheet) {
            label->setStyleSheet(sheet);
        }
        label->setVisible(control.visible());
        label->setEnabled(control.enabled());
    };
    sync();
    disconnectWith(label, control.changed, control.changed.connect(sync));
}

void bindText(model::TextControl& control, QLineEdit* edit) {
    edit->setObjectName(toQt(control.name()));
    edit->setReadOnly(true);
    auto sync = [&control, edit] {
        edit->setText(toQt(control.text()));
        edit->setVisible(control.visible());
    };
    sync();
    disconnectWith(edit, control.changed, control.changed.connect(sync));
}

namespace {

QString fieldText(const QLineEdit* edit) {
    return edit->inputMask().isEmpty() ? edit->text() : edit->displayText();
}

}  // namespace

void bindField(model::TextControl& control, QLineEdit* edit,
               std::function<void(const std::string&)> typed) {
    edit->setObjectName(toQt(control.name()));
    auto sync = [&control, edit] {
        const QString text = toQt(control.text());
        if (fieldText(edit) != text) {
            edit->setText(text);
        }
        edit->setVisible(control.visible());
        edit->setEnabled(control.enabled());
    };
    sync();
    disconnectWith(edit, control.changed, control.changed.connect(sync));
    QObject::connect(edit, &QLineEdit::textEdited, edit,
                     [&control, edit, typed = std::move(typed)] {
                         const std::string text = fromQt(fieldText(edit));
                         if (typed) {
                             typed(text);
                         } else {
                             control.setText(text);
                         }
                     });
}

void bindTrackBar(model::TrackBar& bar, QSlider* slider) {
    slider->setObjectName(toQt(bar.name()));
    slider->setRange(bar.minimum(), bar.maximum());
    auto sync = [&bar, slider] {
        const QSignalBlocker quiet(slider);
        slider->setValue(bar.position());
        slider->setEnabled(bar.enabled());
        slider->setVisible(bar.visible());
    };
    sync();
    disconnectWith(slider, bar.changed, bar.changed.connect(sync));
    QObject::connect(slider, &QSlider::valueChanged, slider,
                     [&bar](int value) { bar.setPosition(value); });
}

void bindList(model::ListBox& list, QListWidget* widget) {
    widget->setObjectName(toQt(list.name()));
    auto sync = [&list, widget] {
        QStringList items;
        for (const std::string& s : list.items()) {
            items << toQt(s);
        }
        if (widget->count() != items.size()) {
            widget->clear();
            widget->addItems(items);
        } else {
            for (int i = 0; i < items.size(); ++i) {
                widget->item(i)->setText(items[i]);
            }
        }
        widget->setCurrentRow(list.itemIndex());
        widget->setVisible(list.visible());
    };
    sync();
    disconnectWith(widget, list.changed, list.changed.connect(sync));
    QObject::connect(widget, &QListWidget::currentRowChanged, widget,
                     [&list](int row) { list.setItemIndex(row); });
    QObject::connect(widget, &QListWidget::itemDoubleClicked, widget,
                     [&list] { list.doubleClicked.send(); });
}

void bindRadioGroup(model::RadioGroup& group, QGroupBox* box) {
    box->setObjectName(toQt(group.name()));
    box->setTitle(toQt(group.caption()));
    auto* layout = new QGridLayout(box);
    auto* buttons = new QButtonGroup(box);
    const int count = static_cast<int>(group.items().size());
    const int columns = std::max(1, group.columns());
    const int rows = (count + columns - 1) / columns;
    for (int i = 0; i < count; ++i) {
        auto* radio =
            new QRadioButton(toQt(group.items()[static_cast<std::size_t>(i)].caption), box);
        radio->setObjectName(toQt(group.name()) + QLatin1Char('_') + QString::number(i));
        buttons->addButton(radio, i);
        layout->addWidget(radio, i % rows, i / rows);
    }
    auto sync = [&group, box, buttons] {
        box->setVisible(group.visible());
        box->setEnabled(group.enabled());
        for (int i = 0; i < static_cast<int>(group.items().size()); ++i) {
            const auto& item = group.items()[static_cast<std::size_t>(i)];
            QAbstractButton* b = buttons->button(i);
            b->setChecked(i == group.itemIndex());
            b->setEnabled(item.enabled);
            // A disabled choice keeps the style's grey, whatever its colour.
            QString css;
            if (item.textColor != model::kBlack) {
                css = QStringLiteral("QRadioButton:enabled { color: %1; }")
                          .arg(cssColor(item.textColor));
            }
            if (item.background != model::RadioGroup::kNoBackground) {
                css += QStringLiteral("QRadioButton { background: %1; }")
                           .arg(cssColor(item.background));
            }
            b->setStyleSheet(css);
        }
    };
    sync();
    disconnectWith(box, group.changed, group.changed.connect(sync));
    QObject::connect(buttons, &QButtonGroup::idClicked, box, [&group, sync](int id) {
        group.setItemIndex(id);
        sync();
    });
}

}  // namespace orvessa::gui
