#include "KmrTela.h"

#include <HostUi.h>
#include <KmrLog.h>
#include <OperatorTexts.h>

#include <stdexcept>

namespace KmrTela {

QVariant retorno(const QString& metodo, int32_t status, const QVariant& resultado, const QString& chave) {
    if (status != 0) {
        qCWarning(lcKmrApp).noquote() << QStringLiteral("data service function %1 (key %2) ended with status %3")
                                             .arg(metodo, chave)
                                             .arg(static_cast<uint32_t>(status), 8, 16, QLatin1Char('0'));
        throw std::runtime_error(OperatorTexts::falhaServico().toStdString());
    }
    // A text in the result is a failure text: which call it came from is
    // for the log, the text itself for the operator.
    if (resultado.typeId() == QMetaType::QString && !resultado.toString().isEmpty())
        qCWarning(lcKmrApp).noquote() << QStringLiteral("data service function %1 (key %2) failed").arg(metodo, chave);
    return MensagemMetodo(resultado, true, 0, metodo, kUnidade, chave, QString());
}

QString doisDigitos(int n) {
    return QString::number(n).rightJustified(2, QLatin1Char('0'));
}

QString textoCor(double cor) {
    return QString::number(static_cast<qint64>(cor));
}

int corInteira(const QString& cor) {
    bool ok = false;
    const int valor = cor.trimmed().toInt(&ok);
    if (!ok)
        throw std::runtime_error(OperatorTexts::corNaoNumerica(cor).toStdString());
    return valor;
}

QString literal(const QString& texto) {
    QString dobrado = texto;
    dobrado.replace(QLatin1Char('\''), QStringLiteral("''"));
    return QLatin1Char('\'') + dobrado + QLatin1Char('\'');
}

QString filtroEspeciais(const QString& c1, const QString& c2, const QString& c3) {
    return QStringLiteral("(CDPRODUTO <> ") + literal(c1) + QStringLiteral(")AND(CDPRODUTO <> ") + literal(c2) +
           QStringLiteral(")AND(CDPRODUTO <> ") + literal(c3) + QLatin1Char(')');
}

} // namespace KmrTela
