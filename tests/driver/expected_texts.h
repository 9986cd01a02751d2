#pragma once
// What the player must read, written out here as Unicode independently of the driver's Shift_JIS
// bytes, so that a wrong byte in the driver shows up as a wrong text.

const wchar_t EXPECTED_GAME_RUNNING[] =
    L"ゲーム、ランチャー、アンインストーラーのいずれかが実行中なのでアップデートを行えません";
const wchar_t EXPECTED_NOT_INSTALLED[] =
    L"ゲームがインストールされていないのでアップデートを行えません";
const wchar_t EXPECTED_CONFIRM[] = L"アップデートを行いますか？";
const wchar_t EXPECTED_DONE[] = L"アップデートが完了しました";
const wchar_t EXPECTED_DAMAGED[] = L"アップデートプログラムが破損している可能性があります";
const wchar_t EXPECTED_CANNOT_UPDATE[] = L"何らかの要因によりアップデートが行えません";
const wchar_t EXPECTED_UNINSTALL_LIST_FAILED[] =
    L"アンインストレーションファイルの更新に失敗しました";
