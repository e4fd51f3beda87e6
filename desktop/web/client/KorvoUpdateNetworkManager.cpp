#include "KorvoUpdateNetworkManager.h"

#include <libxml/parser.h>
#include <libxml/tree.h>

#include <algorithm>

namespace {

thread_local bool t_onNetworkQueue = false;

const char* const kServicePath = "webs/WebService.asmx/";
const char* const kUploadPath = "function/upload.ashx";
const char* const kInformationKey = "information";
const char* const kContentsKey = "contents";

KorvoUpdateNetworkError parseError(const QString& what) {
    return {KorvoUpdateNetworkError::Kind::Parse, 0,
            QStringLiteral("The server's reply could not be read (%1); try again later.").arg(what)};
}

bool isWhitespace(QChar c) {
    return c == QLatin1Char('\t') || c.category() == QChar::Separator_Space;
}

bool isWhitespaceOrNewline(QChar c) {
    return isWhitespace(c) || c == QLatin1Char('\n') || c == QLatin1Char('\r') || c == QChar(0x0B) ||
           c == QChar(0x0C) || c == QChar(0x85) || c.category() == QChar::Separator_Line ||
           c.category() == QChar::Separator_Paragraph;
}

template <class Pred> QString trimmed(const QString& text, Pred pred) {
    int first = 0;
    int last = text.size();
    while (first < last && pred(text.at(first)))
        ++first;
    while (last > first && pred(text.at(last - 1)))
        --last;
    return text.mid(first, last - first);
}

// Text and CDATA below node; entity references are not followed, so no entity is ever expanded.
void collectText(const xmlNode* node, QByteArray& out) {
    for (const xmlNode* child = node->children; child; child = child->next) {
        if (child->type == XML_TEXT_NODE || child->type == XML_CDATA_SECTION_NODE) {
            if (child->content) out += reinterpret_cast<const char*>(child->content);
        } else if (child->type == XML_ELEMENT_NODE) {
            collectText(child, out);
        }
    }
}

} // namespace

KorvoUpdateNetworkManager& KorvoUpdateNetworkManager::sharedManager() {
    static KorvoUpdateNetworkManager manager;
    return manager;
}

KorvoUpdateNetworkManager::KorvoUpdateNetworkManager() {
    xmlInitParser();
    KorvoUpdateHTTPSessionManager::sharedManager();
}

bool KorvoUpdateNetworkManager::isNetworkQueue() {
    return t_onNetworkQueue;
}

QString KorvoUpdateNetworkManager::formatXMLString(const QString& text) {
    QString cleaned = trimmed(text, isWhitespace);
    cleaned.replace(QLatin1Char('\n'), QLatin1String(kLineBreakMarker));
    cleaned = trimmed(cleaned, isWhitespaceOrNewline);
    cleaned.replace(QLatin1Char('\\'), QLatin1Char('/'));
    cleaned.replace(QLatin1String("False"), QLatin1String("false"));
    cleaned.replace(QLatin1String("True"), QLatin1String("true"));
    return cleaned;
}

std::optional<QString> KorvoUpdateNetworkManager::rootTextOfXMLDocument(const QByteArray& reply, QString* refusal) {
    // Every node of the document is held in memory; each one but a text opens with "<", and the service's replies
    // have a handful.
    if (std::count(reply.begin(), reply.end(), '<') > modelcoding::kMaxElements) {
        if (refusal) *refusal = QStringLiteral("its XML holds more than %1 elements").arg(modelcoding::kMaxElements);
        return std::nullopt;
    }
    // No network, no entity substitution, no external DTD; errors are ours to report, not libxml2's to print.
    const int options = XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING;
    xmlDocPtr document = xmlReadMemory(reply.constData(), reply.size(), nullptr, nullptr, options);
    if (!document) return std::nullopt;
    std::optional<QString> text;
    if (const xmlNode* root = xmlDocGetRootElement(document)) {
        QByteArray bytes;
        collectText(root, bytes);
        text = QString::fromUtf8(bytes);
    }
    xmlFreeDoc(document);
    return text;
}

std::optional<nlohmann::ordered_json> KorvoUpdateNetworkManager::jsonOfReply(const QByteArray& reply,
                                                                             QString* refusal) {
    const auto text = rootTextOfXMLDocument(reply, refusal);
    if (!text) return std::nullopt;
    const nlohmann::ordered_json object = modelcoding::parseJSON(formatXMLString(*text).toUtf8(), refusal);
    if (object.is_discarded()) return std::nullopt;
    return object;
}

void KorvoUpdateNetworkManager::postForm(const Parameters& params, const QString& path, const QString& bodyKey,
                                         std::function<bool(const nlohmann::ordered_json&)> deliver,
                                         const HTTPFailure& failure) {
    KorvoUpdateNetworkRequest::postDataWithParameters(
        params, path, bodyKey,
        [this, deliver, failure](const QByteArray& reply) {
            networkQueue().async([deliver, failure, reply] {
                t_onNetworkQueue = true;
                QString refusal;
                const auto object = jsonOfReply(reply, &refusal);
                bool delivered = false;
                if (!object)
                    delivered = false;
                else
                    delivered = deliver(*object);
                t_onNetworkQueue = false;
                if (delivered || !failure) return;
                const KorvoUpdateNetworkError error =
                    parseError(object              ? QStringLiteral("its JSON text is no object")
                               : refusal.isEmpty() ? QStringLiteral("no XML document with a JSON text")
                                                   : refusal);
                dispatch::mainAsync([failure, error] { failure(error); });
            });
        },
        failure);
}

#define KORVO_FORM_OPERATION(method, Model, name, bodyKey)                                                             \
    void KorvoUpdateNetworkManager::method(const Parameters& params, const ModelSuccess<Model>& success,               \
                                           const HTTPFailure& failure) {                                               \
        postForm<Model>(params, QLatin1String(kServicePath) + QLatin1String(name), QLatin1String(bodyKey), success,    \
                        failure);                                                                                      \
    }

KORVO_FORM_OPERATION(requestRegisteWithParams, KorvoUpdateRegisteResultModel, "UserReg", kInformationKey)
KORVO_FORM_OPERATION(requestLoginWithParams, KorvoUpdateLoginResultModel, "UserLogin", kInformationKey)
KORVO_FORM_OPERATION(requestGetProductWithParams, KorvoUpdateProductResultModel, "UserProductInformation",
                     kInformationKey)
KORVO_FORM_OPERATION(requestUpdateProductWithParams, KorvoUpdateUpgradeResultModel, "ProductUpdateInformation",
                     kInformationKey)
KORVO_FORM_OPERATION(requestSupportWithParams, KorvoUpdateResultModel, "UserComplaint", kContentsKey)
KORVO_FORM_OPERATION(requestGenerateOrderWithParams, KorvoUpdateOrderResultModel, "GenerateOrder", kInformationKey)
KORVO_FORM_OPERATION(requestGetOrderStatusWithParams, KorvoUpdateOrderResultModel, "GetOrderStatus", kInformationKey)
KORVO_FORM_OPERATION(requestGetSoftwareInfoWithParams, KorvoUpdateSoftwareResultModel, "SoftwareInfo", kInformationKey)
KORVO_FORM_OPERATION(requestGetProductInfoWithParams, KorvoUpdateProductResultModel, "ProductInfo", kInformationKey)
KORVO_FORM_OPERATION(requestGetUserInfoWithParams, KorvoUpdateUserInfoResultModel, "GetUserInformation",
                     kInformationKey)
KORVO_FORM_OPERATION(requestUpdateUserInfoWithParams, KorvoUpdateResultModel, "UpdateUserInformation", kInformationKey)
KORVO_FORM_OPERATION(requestPostBackServerWithParams, KorvoUpdateResultModel, "PostBackServer", kInformationKey)

#undef KORVO_FORM_OPERATION

void KorvoUpdateNetworkManager::requestUploadWithParams(const KorvoUpdateUploadParameters& params,
                                                        const QString& fileName,
                                                        const ModelSuccess<KorvoUpdateFileUploadResultModel>& success,
                                                        const HTTPFailure& failure) {
    KorvoUpdateNetworkRequest::postFormDataWithParameters(
        params, QLatin1String(kUploadPath), fileName, {QStringLiteral("serial"), QStringLiteral("Filedata")},
        [success, failure](const QByteArray& reply) {
            QString refusal;
            auto model = modelcoding::mj_objectWithKeyValues<KorvoUpdateFileUploadResultModel>(
                modelcoding::parseJSON(reply, &refusal));
            if (!model) {
                if (failure) failure(parseError(refusal.isEmpty() ? QStringLiteral("no JSON object") : refusal));
                return;
            }
            if (success) success(model);
        },
        failure);
}
