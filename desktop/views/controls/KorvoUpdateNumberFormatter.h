// Lets a field hold only an empty text or one whole number: optional white space, an optional sign, decimal digits,
// optional white space. Numbers of any size count. A refused edit is refused as a whole, without a replacement
// text or a message. Attach it to a line edit as its validator.
#pragma once

#include <QValidator>

class KorvoUpdateNumberFormatter : public QValidator {
    Q_OBJECT
public:
    explicit KorvoUpdateNumberFormatter(QObject* parent = nullptr);

    // The out-parameters are left as they are.
    bool isPartialStringValid(const QString& partialString, QString* newEditingString, QString* errorDescription) const;

    State validate(QString& input, int& pos) const override;
};
