#include "ntp/NtsTexts.h"

#include "ntp/SyncTexts.h"

namespace ntp {

namespace {

const std::string kNotDone = std::string(CRLF) + CRLF + "時刻の同期はできませんでした。";

std::string KeServer(const std::string& server) {
    return "エラー: NTS キー交換サーバー '" + server + "' ";
}

} // namespace

const char* NtsKeFailureCode(NtsKeFailure failure) {
    switch (failure) {
    case NtsKeFailure::None:
        return "";
    case NtsKeFailure::Refused:
        return "NTS-KE:Refused";
    case NtsKeFailure::Unreachable:
        return "NTS-KE:Unreachable";
    case NtsKeFailure::TimedOut:
        return "NTS-KE:TimedOut";
    case NtsKeFailure::CertificateUntrusted:
        return "NTS-KE:CertificateUntrusted";
    case NtsKeFailure::CertificateExpired:
        return "NTS-KE:CertificateExpired";
    case NtsKeFailure::CertificateWrongName:
        return "NTS-KE:CertificateWrongName";
    case NtsKeFailure::TlsFailed:
        return "NTS-KE:TLSFailed";
    case NtsKeFailure::ServerError:
        return "NTS-KE:ServerError";
    case NtsKeFailure::ServerWarning:
        return "NTS-KE:ServerWarning";
    case NtsKeFailure::Malformed:
        return "NTS-KE:BadRecords";
    case NtsKeFailure::NoNtpV4:
        return "NTS-KE:NoNTPv4";
    case NtsKeFailure::NoAead:
        return "NTS-KE:NoAEAD";
    case NtsKeFailure::NoCookie:
        return "NTS-KE:NoCookie";
    }
    return "NTS-KE:Failed";
}

std::string NtsKeFailureText(NtsKeFailure failure, const std::string& server,
                             std::uint16_t serverCode) {
    const std::string head = KeServer(server);
    switch (failure) {
    case NtsKeFailure::None:
        return "";
    case NtsKeFailure::Refused:
        return head + "に接続を拒否されました。" + kNotDone;
    case NtsKeFailure::Unreachable:
        return head + "に接続できません。" + kNotDone;
    case NtsKeFailure::TimedOut:
        return head + "の応答が時間内にありませんでした。" + kNotDone;
    case NtsKeFailure::CertificateUntrusted:
        return head + "の証明書は信頼されていません。" + kNotDone;
    case NtsKeFailure::CertificateExpired:
        // A clock years off makes every certificate look expired or not yet
        // valid, and only an unauthenticated run can put it right; that is the
        // user's choice, never made for them.
        return head + "の証明書は有効期間外です。" + kNotDone + CRLF + CRLF +
               "このコンピューターの時計が大きくずれていると、証明書を確認できません。" +
               "時計を直すには、「NTS で認証する」を一度だけオフにして同期してください。";
    case NtsKeFailure::CertificateWrongName:
        return head + "の証明書は別のサーバーのものです。" + kNotDone;
    case NtsKeFailure::ServerError:
        return head + "がエラー (コード " + std::to_string(serverCode) + ") を返しました。" +
               kNotDone;
    case NtsKeFailure::ServerWarning:
        return head + "が警告 (コード " + std::to_string(serverCode) + ") を返しました。" +
               kNotDone;
    case NtsKeFailure::TlsFailed:
        return head + "と安全に通信できません。" + kNotDone;
    case NtsKeFailure::Malformed:
    case NtsKeFailure::NoNtpV4:
    case NtsKeFailure::NoAead:
    case NtsKeFailure::NoCookie:
        return head + "の応答を使用できません。" + kNotDone;
    }
    return head + "と通信できません。" + kNotDone;
}

std::string NtsNoAuthenticReplyText(const std::string& server) {
    return "エラー: NTPサーバー '" + server + "' から認証された応答がありません。" + kNotDone;
}

std::string NtsKissNtsnText(const std::string& server) {
    return "エラー: NTPサーバー '" + server + "' が NTS のクッキーを受け付けませんでした。" +
           kNotDone;
}

std::string NtsAuthenticatedText() {
    return "時刻は NTS で認証されました。";
}

} // namespace ntp
