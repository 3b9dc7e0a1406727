// Every text of the program's boxes and tips, with each box's caption and style.
#include "resources/Messages.h"

namespace Tip {
const wchar_t offline[]     = L"オフライン";
const wchar_t online[]      = L"オンライン";
const wchar_t checking[]    = L"チェック中";
const wchar_t mailArrived[] = L"メール受信";
}

namespace Box {
const UINT probeError = MB_TOPMOST | MB_ICONERROR;

const BoxText alreadyRunning = {
    L"すでに起動しています。", L"Quillora", MB_OK };
const BoxText settingsNotSaved = {
    L"設定ファイルに書き込めませんでした。\n変更した設定は保存されていません。",
    L"SAVE ERROR!!", MB_ICONERROR };
const BoxText settingsUnreadable = {
    L"設定ファイルの設定データが壊れているため、読み込めませんでした。\n"
    L"アカウントは設定ファイルにある分をそのまま使います。\n"
    L"オプションと巡回間隔は初期値に戻っています。設定画面でご確認ください。",
    L"SETTINGS DATA ERROR!!", MB_ICONWARNING };
const BoxText pathTooLong = {
    L"プログラムの置き場所のパスが長すぎるため、設定ファイルを開けません。\n"
    L"もっと短いパスのフォルダに移してから起動してください。",
    L"PATH ERROR!!", MB_ICONERROR };
const BoxText accountsBeyondSlots = {
    L"設定ファイルに16番以降のアカウントがあります。\n"
    L"チェックできるのは15番までのため、それらはチェックせず、一覧にも表示しません。\n"
    L"設定ファイルにはそのまま残してあります。",
    L"ACCOUNT NUMBER ERROR!!", MB_ICONWARNING };
const BoxText settingsRestored = {
    L"設定ファイル %s が見つからなかったため、保存の途中で残っていた %s から設定とアカウントを復元しました。",
    L"SETTINGS RESTORED!!", MB_ICONINFORMATION };
const BoxText damagedSettingsRestored = {
    L"設定ファイル %s が壊れていて読めなかったため、保存の途中で残っていた %s から設定とアカウントを復元しました。\n"
    L"壊れていたファイルは %s という名前で残してあります。",
    L"SETTINGS RESTORED!!", MB_ICONINFORMATION };
const BoxText copyNotRestored = {
    L"設定ファイル %s が見つかりませんでした。\n"
    L"保存の途中で残っていた %s は、設定かアカウントのデータが壊れていたため、復元していません。\n"
    L"そのファイルは %s という名前で残してあります。",
    L"RESTORE ERROR!!", MB_ICONWARNING };
const BoxText damagedCopyNotRestored = {
    L"設定ファイル %s が壊れていて読めませんでした。\n"
    L"保存の途中で残っていた %s も、設定かアカウントのデータが壊れていたため、復元していません。\n"
    L"そのファイルは %s という名前で残してあります。",
    L"RESTORE ERROR!!", MB_ICONWARNING };
const BoxText settingsFileUnreadable = {
    L"設定ファイル %s を読み込めませんでした。\n"
    L"ほかのプログラム（バックアップ、同期、ウイルス対策のソフトなど）が使用中か、読み取りが許可されていないかもしれません。\n"
    L"読み込めるまで、設定ファイルには何も書き込みません。設定画面を開くときなどに、もう一度読み込みます。",
    L"SETTINGS READ ERROR!!", MB_ICONWARNING };

const BoxText winsockStartup = {
    L"WinSockのバージョンやりソースの割り当てでミスが起こりました。",
    L"STARTUP ERROR!!", probeError };
const BoxText serverNotFound = {
    L"サーバが見つかりません!!\nデータの入力ミスやサーバダウンなどが原因と思われます。",
    L"SERVERDATA ERROR!!", probeError };
const BoxText lookupTimeout = {
    L"サーバ名の問い合わせに時間内に応答がありませんでした。\nネットワークかDNSサーバに問題があるかもしれません。",
    L"TIMEOUT ERROR!!", probeError };
const BoxText socketOpen = {
    L"ソケットオープンに失敗しました。", L"SOCKET ERROR!!", probeError };
const BoxText connectFailed = {
    L"ソケットに接続できませんでした。\nサーバのポート番号が%dではないかもしれません。",
    L"CONNECT ERROR!!", probeError };
const wchar_t useTlsPort[] =
    L"SSL（ポート995）のサーバなら、サーバアドレスの後に「:995」を付けてください。";
const BoxText serverTimeout = {
    L"サーバから時間内に応答がありませんでした。\nサーバが混雑しているか、停止しているかもしれません。",
    L"TIMEOUT ERROR!!", probeError };
const BoxText replyTooLong = {
    L"サーバからの応答が長すぎるため、チェックを中止しました。\nPOP3サーバではないか、正しく動作していないかもしれません。",
    L"REPLY ERROR!!", probeError };
const BoxText tlsFailed = {
    L"サーバとの暗号化通信（TLS）を開始できませんでした。\nサーバがポート995でTLSを使っていないか、TLS 1.2に対応していないかもしれません。",
    L"TLS ERROR!!", probeError };
const BoxText certificateUntrusted = {
    L"サーバの証明書は、信頼されている認証局が発行したものではありません。\n安全のため、アカウント名とパスワードは送信していません。",
    L"CERTIFICATE ERROR!!", probeError };
const BoxText certificateWrongName = {
    L"サーバの証明書は、サーバアドレスに入力した名前のものではありません。\n安全のため、アカウント名とパスワードは送信していません。",
    L"CERTIFICATE ERROR!!", probeError };
const BoxText certificateNotTimeValid = {
    L"サーバの証明書は有効期限が切れているか、まだ有効になっていません。\n安全のため、アカウント名とパスワードは送信していません。",
    L"CERTIFICATE ERROR!!", probeError };
const BoxText connectionClosed = {
    L"メールの数を確かめる前に、サーバが接続を切りました。\nサーバが混雑しているか、停止しているかもしれません。",
    L"DISCONNECT ERROR!!", probeError };
const BoxText unsafeCredentials = {
    L"アカウント名かパスワードに改行が含まれています。\nこのアカウントはチェックしませんでした。設定をご確認ください。",
    L"ACCOUNT DATA ERROR!!", probeError };
const BoxText loginRefused = {
    L"アカウント、パスワードに間違いがあるかもしれません。\n設定をご確認ください。\nサーバがビジー状態であったりする場合もあります。",
    L"ERROR!!", MB_TOPMOST | MB_ICONWARNING };
const wchar_t greetingRefused[] =
    L"サーバが接続を受け付けませんでした。\nしばらくしてからもう一度お試しください。";
const wchar_t userRefused[] = L"サーバがアカウント名を受け付けませんでした。\n設定をご確認ください。";
const wchar_t loginRefusedInPlain[] = L"サーバがログインを受け付けませんでした。";
const wchar_t encryptionRequired[] =
    L"このサーバは暗号化した接続を求めています。サーバアドレスの後に「:995」を付けてください。";
const wchar_t statRefused[] = L"サーバがメールの数を答えませんでした。";
const wchar_t mailboxInUse[] = L"メールボックスを他のプログラムが使用中です（メールソフトが受信中かもしれません）。";
const wchar_t loginTooSoon[] = L"ログインの間隔が短すぎます。";
const wchar_t serverBusy[] = L"サーバが一時的に使えません。";
const wchar_t checkedNextRound[] = L"次の巡回で確かめます。";
const wchar_t serverWords[] = L"サーバの応答：";
const wchar_t wordsCut[] = L"…";
const BoxText loginUnexpected = {
    L"製作者には予期できないエラーです。\n使用環境などを製作者に送っていただければ幸いです。",
    L"ERROR!!", MB_TOPMOST | MB_ICONWARNING };

const wchar_t reportCaption[] = L"メールの受信報告";
const wchar_t reportText[] = L"%s に %d通メールが届いています。";
const wchar_t reportAndLaunchText[] = L"%s に %d通メールが届いています。\nメールソフトを起動しますか？";
const BoxText launchFailed = {
    L"ソフトの起動エラーです。", L"OPEN ERROR!!", probeError };

const BoxText noSelection = {
    L"リストを選択してください。", L"LIST SELECT ERRROR", MB_ICONERROR };
const BoxText confirmDelete = {
    L"選択されているデータを消去しますか?", L"DELETE DATA??",
    MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2 };
const BoxText deleted = {
    L"削除しました！！", L"DELETE DATA!!", MB_ICONWARNING };
const BoxText deleteNotSaved = {
    L"設定ファイルに書き込めなかったため、削除できませんでした。",
    L"DELETE ERROR!!", MB_ICONERROR };
const BoxText inputMissing = {
    L"データの入力ミスがあります。", L"DATA MISS!!", MB_ICONERROR };
const BoxText serverFieldInvalid = {
    L"サーバアドレスの形が正しくありません。\n「サーバ名」か「サーバ名:ポート番号」（ポート番号は1～65535）の形で入力してください。",
    L"SERVERDATA MISS!!", MB_ICONERROR };
const BoxText registered = {
    L"登録しました！！", L"INPUT DATA!!", MB_ICONWARNING };
const BoxText registerNotSaved = {
    L"設定ファイルに書き込めなかったため、登録できませんでした。",
    L"WRITE ERROR!!", MB_ICONERROR };
const BoxText fieldNotShiftJis = {
    L"「%s」に、設定ファイルに保存できない文字が含まれています。\nその文字を除いてから登録してください。",
    L"CHARACTER ERROR!!", MB_ICONERROR };
const BoxText fieldTooLong = {
    L"「%s」が長すぎます。\n半角%d文字（全角%d文字）までで入力してください。",
    L"LENGTH ERROR!!", MB_ICONERROR };
const wchar_t userNameField[] = L"ユーザ名";
const wchar_t accountField[] = L"アカウント名";
const wchar_t passwordField[] = L"パスワード";
const wchar_t serverField[] = L"サーバアドレス";
const wchar_t mailerField[] = L"メールソフト";
const BoxText tooManyAccounts = {
    L"登録できるアカウントは15件までです。\n不要なアカウントを削除してから登録してください。",
    L"ACCOUNT LIMIT!!", MB_ICONERROR };
}
