#include "resources/Messages.h"

namespace Tip {
const char offline[]     = "オフライン";
const char online[]      = "オンライン";
const char checking[]    = "チェック中";
const char mailArrived[] = "メール受信";
}

namespace Box {
const UINT probeError = MB_TOPMOST | MB_ICONERROR;

const BoxText alreadyRunning = {
    "すでに起動しています。", "Quillora", MB_OK };
const BoxText settingsNotSaved = {
    "設定ファイルに書き込めませんでした。\n変更した設定は保存されていません。",
    "SAVE ERROR!!", MB_ICONERROR };
const BoxText settingsUnreadable = {
    "設定ファイルの設定データが壊れているため、読み込めませんでした。\n"
    "アカウントは設定ファイルにある分をそのまま使います。\n"
    "オプションと巡回間隔は初期値に戻っています。設定画面でご確認ください。",
    "SETTINGS DATA ERROR!!", MB_ICONWARNING };
const BoxText pathTooLong = {
    "プログラムの置き場所のパスが長すぎるため、設定ファイルを開けません。\n"
    "もっと短いパスのフォルダに移してから起動してください。",
    "PATH ERROR!!", MB_ICONERROR };
const BoxText accountsBeyondSlots = {
    "設定ファイルに16番以降のアカウントがあります。\n"
    "チェックできるのは15番までのため、それらはチェックせず、一覧にも表示しません。\n"
    "設定ファイルにはそのまま残してあります。",
    "ACCOUNT NUMBER ERROR!!", MB_ICONWARNING };

const BoxText winsockStartup = {
    "WinSockのバージョンやりソースの割り当てでミスが起こりました。",
    "STARTUP ERROR!!", probeError };
const BoxText serverNotFound = {
    "サーバが見つかりません!!\nデータの入力ミスやサーバダウンなどが原因と思われます。",
    "SERVERDATA ERROR!!", probeError };
const BoxText socketOpen = {
    "ソケットオープンに失敗しました。", "SOCKET ERROR!!", probeError };
const BoxText connectFailed = {
    "ソケットに接続できませんでした。\nサーバのポート番号が110ではないかもしれません。",
    "CONNECT ERROR!!", probeError };
const BoxText serverTimeout = {
    "サーバから時間内に応答がありませんでした。\nサーバが混雑しているか、停止しているかもしれません。",
    "TIMEOUT ERROR!!", probeError };
const BoxText replyTooLong = {
    "サーバからの応答が長すぎるため、チェックを中止しました。\nPOP3サーバではないか、正しく動作していないかもしれません。",
    "REPLY ERROR!!", probeError };
const BoxText tlsFailed = {
    "サーバとの暗号化通信（TLS）を開始できませんでした。\nサーバがポート995でTLSを使っていないか、TLS 1.2に対応していないかもしれません。",
    "TLS ERROR!!", probeError };
const BoxText certificateUntrusted = {
    "サーバの証明書は、信頼されている認証局が発行したものではありません。\n安全のため、アカウント名とパスワードは送信していません。",
    "CERTIFICATE ERROR!!", probeError };
const BoxText certificateWrongName = {
    "サーバの証明書は、サーバアドレスに入力した名前のものではありません。\n安全のため、アカウント名とパスワードは送信していません。",
    "CERTIFICATE ERROR!!", probeError };
const BoxText certificateNotTimeValid = {
    "サーバの証明書は有効期限が切れているか、まだ有効になっていません。\n安全のため、アカウント名とパスワードは送信していません。",
    "CERTIFICATE ERROR!!", probeError };
const BoxText unsafeCredentials = {
    "アカウント名かパスワードに改行が含まれています。\nこのアカウントはチェックしませんでした。設定をご確認ください。",
    "ACCOUNT DATA ERROR!!", probeError };
const BoxText loginRefused = {
    "アカウント、パスワードに間違いがあるかもしれません。\n設定をご確認ください。\nサーバがビジー状態であったりする場合もあります。",
    "ERROR!!", MB_TOPMOST | MB_ICONWARNING };
const BoxText loginUnexpected = {
    "製作者には予期できないエラーです。\n使用環境などを製作者に送っていただければ幸いです。",
    "ERROR!!", MB_TOPMOST | MB_ICONWARNING };

const char reportCaption[] = "メールの受信報告";
const char reportText[] = "%s に %d通メールが届いています。";
const char reportAndLaunchText[] = "%s に %d通メールが届いています。\nメールソフトを起動しますか？";
const BoxText launchFailed = {
    "ソフトの起動エラーです。", "OPEN ERROR!!", probeError };

const BoxText noSelection = {
    "リストを選択してください。", "LIST SELECT ERRROR", MB_ICONERROR };
const BoxText confirmDelete = {
    "選択されているデータを消去しますか?", "DELETE DATA??",
    MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2 };
const BoxText deleted = {
    "削除しました！！", "DELETE DATA!!", MB_ICONWARNING };
const BoxText deleteNotSaved = {
    "設定ファイルに書き込めなかったため、削除できませんでした。",
    "DELETE ERROR!!", MB_ICONERROR };
const BoxText inputMissing = {
    "データの入力ミスがあります。", "DATA MISS!!", MB_ICONERROR };
const BoxText serverFieldInvalid = {
    "サーバアドレスの形が正しくありません。\n「サーバ名」か「サーバ名:ポート番号」（ポート番号は1～65535）の形で入力してください。",
    "SERVERDATA MISS!!", MB_ICONERROR };
const BoxText registered = {
    "登録しました！！", "INPUT DATA!!", MB_ICONWARNING };
const BoxText registerNotSaved = {
    "設定ファイルに書き込めなかったため、登録できませんでした。",
    "WRITE ERROR!!", MB_ICONERROR };
const BoxText tooManyAccounts = {
    "登録できるアカウントは15件までです。\n不要なアカウントを削除してから登録してください。",
    "ACCOUNT LIMIT!!", MB_ICONERROR };
}

int showBox(HWND owner, const BoxText& box)
{
    return MessageBoxA(owner, box.text, box.caption, box.style);
}
