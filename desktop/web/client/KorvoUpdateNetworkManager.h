// The web-service client: one operation per service call. Each sends its request, turns the reply into its result
// model and reports through a success block or a failure block; an absent block is not called.
// Form-POST replies are XML documents whose root element's text is a JSON text, cleaned by formatXMLString before
// it is parsed; the upload's reply is plain JSON. XML is read without network access and without expanding
// entities.
// Threads: every operation returns at once. A form POST's reply is parsed, and its success block called, on the
// serial network queue, one reply after another; the upload's success and every failure are called on the main
// queue. A reply that holds no readable result is a failure (KorvoUpdateNetworkError::Kind::Parse).
#pragma once

#include "KorvoUpdateFileUploadResultModel.h"
#include "KorvoUpdateLoginResultModel.h"
#include "KorvoUpdateNetworkRequest.h"
#include "KorvoUpdateOrderResultModel.h"
#include "KorvoUpdateProductResultModel.h"
#include "KorvoUpdateRegisteResultModel.h"
#include "KorvoUpdateResultModel.h"
#include "KorvoUpdateSoftwareResultModel.h"
#include "KorvoUpdateUpgradeResultModel.h"
#include "KorvoUpdateUserInfoResultModel.h"

#include "Dispatch.h"

#include <optional>

template <class T> using ModelSuccess = std::function<void(const std::shared_ptr<T>& model)>;

class KorvoUpdateNetworkManager {
public:
    static constexpr const char* kNetworkQueueLabel = "com.marodatech.KorvoUpdate.network";
    // Marks the line breaks of a reply's JSON text, which the service sends unescaped inside values.
    static constexpr const char* kLineBreakMarker = "MARODA_KORVO_FLAG";

    static KorvoUpdateNetworkManager& sharedManager();
    // Whether the caller runs on the network queue.
    static bool isNetworkQueue();
    // The serial queue replies are parsed on.
    dispatch::SerialQueue& networkQueue() { return m_networkQueue; }

    using Parameters = nlohmann::ordered_json;

    void requestRegisteWithParams(const Parameters& params, const ModelSuccess<KorvoUpdateRegisteResultModel>& success,
                                  const HTTPFailure& failure);
    void requestLoginWithParams(const Parameters& params, const ModelSuccess<KorvoUpdateLoginResultModel>& success,
                                const HTTPFailure& failure);
    void requestGetProductWithParams(const Parameters& params,
                                     const ModelSuccess<KorvoUpdateProductResultModel>& success,
                                     const HTTPFailure& failure);
    void requestUpdateProductWithParams(const Parameters& params,
                                        const ModelSuccess<KorvoUpdateUpgradeResultModel>& success,
                                        const HTTPFailure& failure);
    void requestSupportWithParams(const Parameters& params, const ModelSuccess<KorvoUpdateResultModel>& success,
                                  const HTTPFailure& failure);
    void requestUploadWithParams(const KorvoUpdateUploadParameters& params, const QString& fileName,
                                 const ModelSuccess<KorvoUpdateFileUploadResultModel>& success,
                                 const HTTPFailure& failure);
    void requestGenerateOrderWithParams(const Parameters& params,
                                        const ModelSuccess<KorvoUpdateOrderResultModel>& success,
                                        const HTTPFailure& failure);
    void requestGetOrderStatusWithParams(const Parameters& params,
                                         const ModelSuccess<KorvoUpdateOrderResultModel>& success,
                                         const HTTPFailure& failure);
    void requestGetSoftwareInfoWithParams(const Parameters& params,
                                          const ModelSuccess<KorvoUpdateSoftwareResultModel>& success,
                                          const HTTPFailure& failure);
    void requestGetProductInfoWithParams(const Parameters& params,
                                         const ModelSuccess<KorvoUpdateProductResultModel>& success,
                                         const HTTPFailure& failure);
    void requestGetUserInfoWithParams(const Parameters& params,
                                      const ModelSuccess<KorvoUpdateUserInfoResultModel>& success,
                                      const HTTPFailure& failure);
    void requestUpdateUserInfoWithParams(const Parameters& params, const ModelSuccess<KorvoUpdateResultModel>& success,
                                         const HTTPFailure& failure);
    void requestPostBackServerWithParams(const Parameters& params, const ModelSuccess<KorvoUpdateResultModel>& success,
                                         const HTTPFailure& failure);

    // The cleaning of a reply's text, in order: trim spaces and tabs; every line feed becomes kLineBreakMarker;
    // trim white space and line breaks; "\" becomes "/"; "False" becomes "false"; "True" becomes "true".
    static QString formatXMLString(const QString& text);
    // The text inside the root element of an XML document, markup removed; nothing when the bytes are no XML or
    // hold more than modelcoding::kMaxElements tags. *refusal (when given) names a limit that was passed.
    static std::optional<QString> rootTextOfXMLDocument(const QByteArray& reply, QString* refusal = nullptr);
    // Root text, cleaned, parsed: the JSON object of a form-POST reply, or nothing; *refusal as above, also for the
    // limits of modelcoding::parseJSON.
    static std::optional<nlohmann::ordered_json> jsonOfReply(const QByteArray& reply, QString* refusal = nullptr);

    template <class T>
    void postForm(const Parameters& params, const QString& path, const QString& bodyKey, const ModelSuccess<T>& success,
                  const HTTPFailure& failure) {
        postForm(
            params, path, bodyKey,
            [success](const nlohmann::ordered_json& object) {
                auto model = modelcoding::mj_objectWithKeyValues<T>(object);
                if (model && success) success(model);
                return model != nullptr;
            },
            failure);
    }

private:
    KorvoUpdateNetworkManager();
    // deliver returns false when the object held no model.
    void postForm(const Parameters& params, const QString& path, const QString& bodyKey,
                  std::function<bool(const nlohmann::ordered_json&)> deliver, const HTTPFailure& failure);
    dispatch::SerialQueue m_networkQueue;
};
