; Lumora.iss: the Lumora installer and uninstaller, built with Inno Setup 6 on LumoraUI.dll.
;
; Inno Setup stays in charge of the installation (files, shortcuts, registry, its log file,
; rollback); LumoraUI.dll draws every screen and closes a running Lumora before files are
; replaced. Put LumoraUI.dll (dist/x86: the library is 32-bit, and so are Setup and Uninstall
; of Inno Setup 6), Lumora.exe and, if you have one, an override file LumoraTexts.ini
; (UTF-16 LE with BOM, [<language id>] sections of Key=Text lines) next to this script.
;
; Setup
;   - starts with the welcome page, or with the existing-installation page when Lumora is
;     installed already; the Lumora window takes over the wizard form (LumUI_Attach), and a
;     timer takes the user's actions from LumUI_Poll and drives the wizard from them;
;   - "Customize" shows the options page; the folder is checked with LumUI_ValidatePath and
;     a refused folder comes back as the options page with the error text in red;
;   - before the wizard moves on to copy files, a running Lumora is found with
;     LumUI_ProcessRunning, the user is asked (app-running dialog) and LumUI_CloseApplication
;     closes it; what could not be closed is shown in the close-failed dialog;
;   - the installing page follows Inno Setup's progress, the installed page ends the wizard;
;   - /LUMLOGFILE=<file> (optionally /LUMLOGWAIT=<process id>) starts Setup again with
;     /LOG=<file> through LumUI_RunLogged and ends this copy.
; Uninstall
;   - is registered as "unins000.exe /VERYSILENT /LUMUI": Inno Setup's own questions and
;     windows stay away and the Lumora window (LumUI_Create) asks instead: uninstall start
;     page with the clear-data option, the same app-running steps as Setup, the uninstalling
;     page (with its data-cleanup stage when the user chose to clear data) and the
;     uninstalled page. Without /LUMUI (a silent uninstall by an administrator) no window
;     is shown and a running Lumora is closed without asking.
; Every line LumoraUI.dll logs goes into Inno Setup's log file through the callback that
; LumUI_ConfigureLog registers, so the "Save log as…" item of the title menu copies one log.
;
; tools/check-inno-script.py compares every LumoraUI.dll declaration below with the DLL's
; export table and exports/LumoraUI.h (ctest: inno_script_check).

#define AppName "Lumora"
#define AppVersion "2.5.0.0"
#define AppExe "Lumora.exe"
; Space the installation needs, in MiB, for LumUI_ValidatePath.
#define RequiredMiB 300

[Setup]
AppId=Lumora
AppName={#AppName}
AppVersion={#AppVersion}
AppPublisher=Lumora
DefaultDirName={autopf}\Lumora
; Setup stays a 32-bit process (which the 32-bit LumoraUI.dll needs) and installs in 64-bit mode.
ArchitecturesInstallIn64BitMode=x64compatible
PrivilegesRequired=admin
OutputBaseFilename=LumoraSetup
WizardStyle=modern
; The Lumora window covers the wizard form; of Inno Setup's pages only the folder page (under
; the welcome, options and existing-installation pages), the installing page and the finished
; page (under the installed page) are passed through.
DisableWelcomePage=yes
DisableDirPage=no
DisableProgramGroupPage=yes
DisableReadyPage=yes
DisableFinishedPage=no
DirExistsWarning=no
UsePreviousAppDir=yes
; The language follows the user's display language; the Lumora language menu switches it.
ShowLanguageDialog=no
; LumUI_CloseApplication closes Lumora; Inno Setup's Restart Manager step would ask again.
CloseApplications=no
RestartApplications=no
; Both programs write a log file: LumUI_ConfigureLog gets its path ({log}).
SetupLogging=yes
UninstallLogging=yes
UninstallDisplayIcon={app}\{#AppExe}
UninstallDisplayName={#AppName}

[Languages]
; The names are LumoraUI's language ids, so ActiveLanguage can go to LumUI_LoadLanguage as it is.
Name: "english"; MessagesFile: "compiler:Default.isl"
Name: "chinesesimplified"; MessagesFile: "compiler:Languages\ChineseSimplified.isl"
Name: "chinesetraditional"; MessagesFile: "compiler:Languages\ChineseTraditional.isl"
Name: "japanese"; MessagesFile: "compiler:Languages\Japanese.isl"
Name: "korean"; MessagesFile: "compiler:Languages\Korean.isl"
Name: "french"; MessagesFile: "compiler:Languages\French.isl"
Name: "german"; MessagesFile: "compiler:Languages\German.isl"
Name: "spanish"; MessagesFile: "compiler:Languages\Spanish.isl"
Name: "portuguese"; MessagesFile: "compiler:Languages\Portuguese.isl"

[CustomMessages]
; Texts for a folder that LumUI_ValidatePath refuses (results 1, 2, 3), shown on the options
; page through LumUI_SetText('Error', …). They are looked up by the UI language, which the
; language menu can change after Setup has started, so the language is part of the name.
PathError_english=Choose a valid absolute installation path.
PermissionError_english=This location is not writable. Choose another folder.
SpaceError_english=There is not enough disk space at this location.
PathError_chinesesimplified=请选择有效的绝对安装路径。
PermissionError_chinesesimplified=无法写入此位置，请选择其他文件夹。
SpaceError_chinesesimplified=此位置的磁盘空间不足。
PathError_chinesetraditional=請選擇有效的絕對安裝路徑。
PermissionError_chinesetraditional=無法寫入此位置，請選擇其他資料夾。
SpaceError_chinesetraditional=此位置的磁碟空間不足。
PathError_japanese=有効な絶対パスをインストール先に指定してください。
PermissionError_japanese=この場所には書き込めません。別のフォルダーを選択してください。
SpaceError_japanese=この場所にはディスクの空き容量が足りません。
PathError_korean=올바른 절대 설치 경로를 선택하십시오.
PermissionError_korean=이 위치에 쓸 수 없습니다. 다른 폴더를 선택하십시오.
SpaceError_korean=이 위치에 디스크 공간이 부족합니다.
PathError_french=Choisissez un chemin d'installation absolu valide.
PermissionError_french=Impossible d'écrire à cet emplacement. Choisissez un autre dossier.
SpaceError_french=L'espace disque est insuffisant à cet emplacement.
PathError_german=Wählen Sie einen gültigen absoluten Installationspfad.
PermissionError_german=In diesen Ordner kann nicht geschrieben werden. Wählen Sie einen anderen Ordner.
SpaceError_german=An diesem Speicherort ist nicht genügend Speicherplatz frei.
PathError_spanish=Elija una ruta de instalación absoluta válida.
PermissionError_spanish=No se puede escribir en esta ubicación. Elija otra carpeta.
SpaceError_spanish=No hay suficiente espacio en disco en esta ubicación.
PathError_portuguese=Escolha um caminho de instalação absoluto válido.
PermissionError_portuguese=Não é possível escrever nesta localização. Escolha outra pasta.
SpaceError_portuguese=Não existe espaço em disco suficiente nesta localização.

[Files]
; Setup loads LumoraUI.dll through the "files:" prefix, which extracts it to {tmp} at the first
; call (in InitializeSetup). Keep it at the top: with solid compression, extracting a file means
; decompressing every file listed before it.
Source: "LumoraUI.dll"; Flags: dontcopy
#ifexist "LumoraTexts.ini"
Source: "LumoraTexts.ini"; Flags: dontcopy
Source: "LumoraTexts.ini"; DestDir: "{app}"; Flags: ignoreversion
#endif
; Uninstall loads {app}\LumoraUI.dll when it starts and holds it until DeinitializeUninstall, so
; Inno Setup must not try to delete it; DeinitializeUninstall unloads and deletes it.
Source: "LumoraUI.dll"; DestDir: "{app}"; Flags: ignoreversion uninsneveruninstall
Source: "{#AppExe}"; DestDir: "{app}"; Flags: ignoreversion

[Icons]
Name: "{autoprograms}\{#AppName}"; Filename: "{app}\{#AppExe}"
Name: "{autodesktop}\{#AppName}"; Filename: "{app}\{#AppExe}"; Check: WantsDesktopShortcut

[Code]
const
  { Pages (LumUI_SetPage, LumUI_Create). }
  PageWelcome = 0;
  PageOptions = 1;
  PageInstalling = 2;
  PageInstalled = 3;
  PageExisting = 4;
  PageUninstallConfirm = 5;
  PageUninstalling = 6;
  PageUninstalled = 7;
  PageOptionsPathError = 10;
  { Dialogs (LumUI_Confirm: 1 for the positive answer, 0 for anything else). }
  DialogCancelInstall = 1;
  DialogAppRunning = 2;
  DialogCloseFailed = 5;
  { Option bits (LumUI_GetFlags, LumUI_SetFlags). }
  FlagDesktopShortcut = $1;
  FlagDataCleanupStage = $8;
  { What LumUI_Poll returns; 0 means nothing happened. }
  EventInstall = 1;
  EventCustomize = 2;
  EventStart = 3;
  EventBack = 4;
  EventCancel = 5;
  EventLaunch = 6;
  EventFinish = 7;
  EventBrowse = 8;
  EventTerms = 11;
  EventPrivacy = 12;
  EventUninstallInstead = 13;
  EventLanguageFirst = 400;
  { LumUI_RunModal on the uninstall start page. }
  ModalCancelled = 0;
  ModalRemoveData = 3;
  { LumUI_ValidatePath. }
  PathUsable = 0;
  PathNotUsable = 1;
  PathNotWritable = 2;
  { LumUI_GetLink. }
  LinkTerms = 1;
  LinkPrivacy = 2;

  UninstallKey = 'Software\Microsoft\Windows\CurrentVersion\Uninstall\Lumora_is1';

{ ---- LumoraUI.dll for Setup: extracted from [Files] into Setup's temporary folder at the
  first call. ----
  Strings go in as String (Unicode Inno Setup hands the DLL a pointer to the UTF-16 text);
  a buffer the DLL writes into is a String made long enough with SetLength, passed with that
  length. }
function LumUI_Create(Page, Dpi: Integer): Integer;
  external 'LumUI_Create@files:LumoraUI.dll stdcall setuponly';
function LumUI_Attach(Host: HWND; Dpi: Integer): Integer;
  external 'LumUI_Attach@files:LumoraUI.dll stdcall setuponly';
procedure LumUI_Destroy;
  external 'LumUI_Destroy@files:LumoraUI.dll stdcall setuponly';
procedure LumUI_Show;
  external 'LumUI_Show@files:LumoraUI.dll stdcall setuponly';
procedure LumUI_SetPage(Page: Integer);
  external 'LumUI_SetPage@files:LumoraUI.dll stdcall setuponly';
function LumUI_RunModal: Integer;
  external 'LumUI_RunModal@files:LumoraUI.dll stdcall setuponly';
function LumUI_Poll: Integer;
  external 'LumUI_Poll@files:LumoraUI.dll stdcall setuponly';
function LumUI_GetFlags: Cardinal;
  external 'LumUI_GetFlags@files:LumoraUI.dll stdcall setuponly';
procedure LumUI_SetFlags(Flags: Cardinal);
  external 'LumUI_SetFlags@files:LumoraUI.dll stdcall setuponly';
procedure LumUI_SetText(Key, Value: String);
  external 'LumUI_SetText@files:LumoraUI.dll stdcall setuponly';
procedure LumUI_SetPath(Path: String);
  external 'LumUI_SetPath@files:LumoraUI.dll stdcall setuponly';
function LumUI_GetPath(Buffer: String; Size: Integer): Integer;
  external 'LumUI_GetPath@files:LumoraUI.dll stdcall setuponly';
procedure LumUI_SetProgress(Position, Maximum: Integer; Text: String);
  external 'LumUI_SetProgress@files:LumoraUI.dll stdcall setuponly';
function LumUI_Confirm(Dialog: Integer): Integer;
  external 'LumUI_Confirm@files:LumoraUI.dll stdcall setuponly';
procedure LumUI_BeginClose;
  external 'LumUI_BeginClose@files:LumoraUI.dll stdcall setuponly';
function LumUI_DismissMenu: Integer;
  external 'LumUI_DismissMenu@files:LumoraUI.dll stdcall setuponly';
procedure LumUI_LoadLanguage(OverrideFile, Language: String);
  external 'LumUI_LoadLanguage@files:LumoraUI.dll stdcall setuponly';
function LumUI_GetLink(Kind: Integer; Buffer: String; Size: Integer): Integer;
  external 'LumUI_GetLink@files:LumoraUI.dll stdcall setuponly';
function LumUI_Render(PngPath: String; Scenario, Dpi: Integer): Integer;
  external 'LumUI_Render@files:LumoraUI.dll stdcall setuponly';
function LumUI_ProcessRunning(Target: String): Integer;
  external 'LumUI_ProcessRunning@files:LumoraUI.dll stdcall setuponly';
function LumUI_CloseApplication(Target: String): Integer;
  external 'LumUI_CloseApplication@files:LumoraUI.dll stdcall setuponly';
function LumUI_GetProcessReport(Buffer: String; Size: Integer): Integer;
  external 'LumUI_GetProcessReport@files:LumoraUI.dll stdcall setuponly';
function LumUI_ConfigureLog(LogPath: String; Callback: Longword): Integer;
  external 'LumUI_ConfigureLog@files:LumoraUI.dll stdcall setuponly';
function LumUI_ReadLog(Buffer: String; Size: Integer): Integer;
  external 'LumUI_ReadLog@files:LumoraUI.dll stdcall setuponly';
function LumUI_RunLogged(SetupProgram, Arguments, LogFile: String; WaitProcessId: Cardinal): Cardinal;
  external 'LumUI_RunLogged@files:LumoraUI.dll stdcall setuponly';
function LumUI_ValidatePath(Path: String; RequiredMiB: Integer): Cardinal;
  external 'LumUI_ValidatePath@files:LumoraUI.dll stdcall setuponly';

{ ---- The same exports for Uninstall, from the copy that Setup installed with Lumora. ---- }
function UnLumUI_Create(Page, Dpi: Integer): Integer;
  external 'LumUI_Create@{app}\LumoraUI.dll stdcall uninstallonly';
function UnLumUI_Attach(Host: HWND; Dpi: Integer): Integer;
  external 'LumUI_Attach@{app}\LumoraUI.dll stdcall uninstallonly';
procedure UnLumUI_Destroy;
  external 'LumUI_Destroy@{app}\LumoraUI.dll stdcall uninstallonly';
procedure UnLumUI_Show;
  external 'LumUI_Show@{app}\LumoraUI.dll stdcall uninstallonly';
procedure UnLumUI_SetPage(Page: Integer);
  external 'LumUI_SetPage@{app}\LumoraUI.dll stdcall uninstallonly';
function UnLumUI_RunModal: Integer;
  external 'LumUI_RunModal@{app}\LumoraUI.dll stdcall uninstallonly';
function UnLumUI_Poll: Integer;
  external 'LumUI_Poll@{app}\LumoraUI.dll stdcall uninstallonly';
function UnLumUI_GetFlags: Cardinal;
  external 'LumUI_GetFlags@{app}\LumoraUI.dll stdcall uninstallonly';
procedure UnLumUI_SetFlags(Flags: Cardinal);
  external 'LumUI_SetFlags@{app}\LumoraUI.dll stdcall uninstallonly';
procedure UnLumUI_SetText(Key, Value: String);
  external 'LumUI_SetText@{app}\LumoraUI.dll stdcall uninstallonly';
procedure UnLumUI_SetPath(Path: String);
  external 'LumUI_SetPath@{app}\LumoraUI.dll stdcall uninstallonly';
function UnLumUI_GetPath(Buffer: String; Size: Integer): Integer;
  external 'LumUI_GetPath@{app}\LumoraUI.dll stdcall uninstallonly';
procedure UnLumUI_SetProgress(Position, Maximum: Integer; Text: String);
  external 'LumUI_SetProgress@{app}\LumoraUI.dll stdcall uninstallonly';
function UnLumUI_Confirm(Dialog: Integer): Integer;
  external 'LumUI_Confirm@{app}\LumoraUI.dll stdcall uninstallonly';
procedure UnLumUI_BeginClose;
  external 'LumUI_BeginClose@{app}\LumoraUI.dll stdcall uninstallonly';
function UnLumUI_DismissMenu: Integer;
  external 'LumUI_DismissMenu@{app}\LumoraUI.dll stdcall uninstallonly';
procedure UnLumUI_LoadLanguage(OverrideFile, Language: String);
  external 'LumUI_LoadLanguage@{app}\LumoraUI.dll stdcall uninstallonly';
function UnLumUI_GetLink(Kind: Integer; Buffer: String; Size: Integer): Integer;
  external 'LumUI_GetLink@{app}\LumoraUI.dll stdcall uninstallonly';
function UnLumUI_Render(PngPath: String; Scenario, Dpi: Integer): Integer;
  external 'LumUI_Render@{app}\LumoraUI.dll stdcall uninstallonly';
function UnLumUI_ProcessRunning(Target: String): Integer;
  external 'LumUI_ProcessRunning@{app}\LumoraUI.dll stdcall uninstallonly';
function UnLumUI_CloseApplication(Target: String): Integer;
  external 'LumUI_CloseApplication@{app}\LumoraUI.dll stdcall uninstallonly';
function UnLumUI_GetProcessReport(Buffer: String; Size: Integer): Integer;
  external 'LumUI_GetProcessReport@{app}\LumoraUI.dll stdcall uninstallonly';
function UnLumUI_ConfigureLog(LogPath: String; Callback: Longword): Integer;
  external 'LumUI_ConfigureLog@{app}\LumoraUI.dll stdcall uninstallonly';
function UnLumUI_ReadLog(Buffer: String; Size: Integer): Integer;
  external 'LumUI_ReadLog@{app}\LumoraUI.dll stdcall uninstallonly';
function UnLumUI_RunLogged(SetupProgram, Arguments, LogFile: String; WaitProcessId: Cardinal): Cardinal;
  external 'LumUI_RunLogged@{app}\LumoraUI.dll stdcall uninstallonly';
function UnLumUI_ValidatePath(Path: String; RequiredMiB: Integer): Cardinal;
  external 'LumUI_ValidatePath@{app}\LumoraUI.dll stdcall uninstallonly';

{ The poll timer: a thread timer whose callback runs on Setup's thread from its message loop. }
function SetTimer(Wnd, IDEvent, Elapse, TimerFunc: Longword): Longword;
  external 'SetTimer@user32.dll stdcall';
function KillTimer(Wnd, IDEvent: Longword): BOOL;
  external 'KillTimer@user32.dll stdcall';

var
  UiLanguage: String;        { the language id the Lumora window shows }
  OverrideFile: String;      { LumoraTexts.ini, or '' }
  UiAttached: Boolean;       { Setup: the Lumora window lives in the wizard form }
  UiCreated: Boolean;        { Uninstall: the Lumora window of its own }
  UiPage: Integer;           { the page last set; the library has no getter for it }
  ExistingDir: String;       { folder of an installed Lumora, or '' }
  PollTimer: Longword;
  InPoll: Boolean;
  NextClickPending: Boolean;
  PendingCancel: Boolean;
  ForcedExit: Boolean;       { the user already answered in the Lumora window }
  RemoveUserData: Boolean;
  UninstallRan: Boolean;

{ ---- Calls both programs make: Setup and Uninstall import the DLL under different names. ---- }

function LumReadLog(Buffer: String; Size: Integer): Integer;
begin
  if IsUninstaller then Result := UnLumUI_ReadLog(Buffer, Size)
  else Result := LumUI_ReadLog(Buffer, Size);
end;

function LumConfirm(Dialog: Integer): Integer;
begin
  if IsUninstaller then Result := UnLumUI_Confirm(Dialog)
  else Result := LumUI_Confirm(Dialog);
end;

function LumProcessRunning(Exe: String): Integer;
begin
  if IsUninstaller then Result := UnLumUI_ProcessRunning(Exe)
  else Result := LumUI_ProcessRunning(Exe);
end;

function LumCloseApplication(Exe: String): Integer;
begin
  if IsUninstaller then Result := UnLumUI_CloseApplication(Exe)
  else Result := LumUI_CloseApplication(Exe);
end;

{ What was left after the last scan or close, one "name (PID n) — status" entry per process. }
function LumProcessReport: String;
var
  Chars: Integer;
begin
  if IsUninstaller then Chars := UnLumUI_GetProcessReport('', 0)
  else Chars := LumUI_GetProcessReport('', 0);
  SetLength(Result, Chars + 1);
  if IsUninstaller then Chars := UnLumUI_GetProcessReport(Result, Chars + 1)
  else Chars := LumUI_GetProcessReport(Result, Chars + 1);
  SetLength(Result, Chars);
end;

{ ---- Log: every line of the library goes into this program's own log file. ---- }

{ Called by the library (stdcall, no arguments, on this thread) after lines that should reach
  the log at once: actions, process scans, each pass while Lumora is being closed. A line is
  taken only when the buffer holds it and its terminator; 0 means the queue is empty. }
function LumoraLogCallback: Integer;
var
  Line: String;
  Chars: Integer;
begin
  Chars := LumReadLog('', 0);
  while Chars > 0 do begin
    SetLength(Line, Chars + 1);
    Chars := LumReadLog(Line, Chars + 1);
    if Chars > 0 then begin
      SetLength(Line, Chars);
      Log(Line);
    end;
    Chars := LumReadLog('', 0);
  end;
  Result := 0;
end;

procedure ConfigureLumoraLog;
begin
  // The log file of this program ({log}); with a log file the title menu offers "Save log as…".
  if IsUninstaller then
    UnLumUI_ConfigureLog(ExpandConstant('{log}'), CreateCallback(@LumoraLogCallback))
  else
    LumUI_ConfigureLog(ExpandConstant('{log}'), CreateCallback(@LumoraLogCallback));
end;

{ ---- Language ---- }

{ Item i of the language menu, whose choice LumUI_Poll returns as 400 + i. }
function LanguageOfMenuItem(Index: Integer): String;
begin
  case Index of
    0: Result := 'chinesesimplified';
    1: Result := 'chinesetraditional';
    2: Result := 'english';
    3: Result := 'japanese';
    4: Result := 'korean';
    5: Result := 'french';
    6: Result := 'german';
    7: Result := 'spanish';
    8: Result := 'portuguese';
  else
    Result := '';
  end;
end;

function FindOverrideFile: String;
begin
  Result := '';
#ifexist "LumoraTexts.ini"
  if IsUninstaller then
    Result := ExpandConstant('{app}\LumoraTexts.ini')
  else begin
    ExtractTemporaryFile('LumoraTexts.ini');
    Result := ExpandConstant('{tmp}\LumoraTexts.ini');
  end;
#endif
end;

{ The built-in texts of the language, then the [<language>] section of the override file. }
procedure LoadUiLanguage(Language: String);
begin
  if Language = '' then Exit;
  UiLanguage := Language;
  if IsUninstaller then UnLumUI_LoadLanguage(OverrideFile, UiLanguage)
  else LumUI_LoadLanguage(OverrideFile, UiLanguage);
end;

{ ---- Closing a running Lumora (Setup and Uninstall) ---- }

{ True when no Lumora process runs from the installation folder of Exe any more. Asks first;
  LumUI_CloseApplication then shows the closing dialog and keeps the window painting for the
  up to ~8.6 s it takes (WM_CLOSE, then termination, then a quiet half second). Whatever stayed
  is listed by the close-failed dialog, whose "try again" closes again. }
function CloseRunningLumora(Exe: String): Boolean;
var
  Running: Integer;
begin
  Result := False;
  Running := LumProcessRunning(Exe);
  if Running = 0 then begin
    Result := True;
    Exit;
  end;
  { -1: the scan failed; the close-failed dialog says so and offers to try again. }
  if Running > 0 then begin
    if LumConfirm(DialogAppRunning) = 0 then begin
      Log('Lumora is running and was not closed: the user chose not to.');
      Exit;
    end;
    Result := LumCloseApplication(Exe) = 1;
  end;
  while not Result do begin
    Log('Lumora could not be closed: ' + LumProcessReport);
    if LumConfirm(DialogCloseFailed) = 0 then Exit;
    Result := LumCloseApplication(Exe) = 1;
  end;
end;

{ ---- Setup ---- }

function SwitchValue(Name: String; var Value: String): Boolean;
var
  I: Integer;
  Prefix: String;
begin
  Prefix := '/' + Uppercase(Name) + '=';
  for I := 1 to ParamCount do
    if Pos(Prefix, Uppercase(ParamStr(I))) = 1 then begin
      Value := Copy(ParamStr(I), Length(Prefix) + 1, MaxInt);
      Result := True;
      Exit;
    end;
  Result := False;
end;

{ /LUMLOGFILE=<file>: start this Setup again with /LOG=<file> and end this copy. The library
  drops /LUMLOGFILE=, /LUMLOGWAIT=, /LOG… and Inno Setup's own /SL5=, /SPAWNWND=, /NOTIFYWND=
  from the arguments; an empty file name means %TEMP%\Lumora-install.log. It first waits up to
  30 s for the process given with /LUMLOGWAIT=, then until the new Setup ends, without pumping
  messages, so it runs before any window exists. }
function RelaunchedWithLog: Boolean;
var
  LogFile, WaitProcess: String;
  Outcome: Cardinal;
begin
  Result := SwitchValue('LUMLOGFILE', LogFile);
  if not Result then Exit;
  if not SwitchValue('LUMLOGWAIT', WaitProcess) then WaitProcess := '0';
  Outcome := LumUI_RunLogged(ExpandConstant('{srcexe}'), GetCmdTail, LogFile, StrToIntDef(WaitProcess, 0));
  { The exit code of the new Setup, or a Windows error code when it could not be started
    (1460: the process to wait for did not end; 31: waiting for the new Setup failed). }
  Log('Logged Setup finished; result=' + IntToStr(Outcome));
end;

function InitializeSetup: Boolean;
begin
  { Returning False ends this copy (exit code 1) once the logged copy has finished. }
  Result := not RelaunchedWithLog;
  if not Result then Exit;
  OverrideFile := FindOverrideFile;
  ConfigureLumoraLog;
  LoadUiLanguage(ActiveLanguage);
end;

function WantsDesktopShortcut: Boolean;
begin
  Result := (LumUI_GetFlags and FlagDesktopShortcut) <> 0;
end;

procedure ShowPage(Page: Integer);
begin
  UiPage := Page;
  LumUI_SetPage(Page);
end;

function UiPath: String;
var
  Chars: Integer;
begin
  { The folder edit holds at most 32,760 characters. }
  SetLength(Result, 32768);
  Chars := LumUI_GetPath(Result, 32768);
  SetLength(Result, Chars);
end;

procedure OpenLink(Kind: Integer);
var
  Link: String;
  Chars, ErrorCode: Integer;
begin
  { Terms and privacy links of the user's region. }
  SetLength(Link, 256);
  Chars := LumUI_GetLink(Kind, Link, 256);
  SetLength(Link, Chars);
  if Link <> '' then
    ShellExecAsOriginalUser('open', Link, '', '', SW_SHOWNORMAL, ewNoWait, ErrorCode);
end;

procedure BrowseForInstallFolder;
var
  Dir: String;
begin
  Dir := UiPath;
  if not BrowseForFolder(SetupMessage(msgBrowseDialogLabel), Dir, True) then Exit;
  if CompareText(ExtractFileName(RemoveBackslash(Dir)), '{#AppName}') <> 0 then
    Dir := AddBackslash(Dir) + '{#AppName}';
  LumUI_SetPath(Dir);
  { A new folder takes the error of a refused one away. }
  ShowPage(PageOptions);
end;

function PathErrorText(Code: Cardinal): String;
begin
  if Code = PathNotUsable then Result := CustomMessage('PathError_' + UiLanguage)
  else if Code = PathNotWritable then Result := CustomMessage('PermissionError_' + UiLanguage)
  else Result := CustomMessage('SpaceError_' + UiLanguage);
end;

{ "Install now" (welcome page), "Update" (existing installation) and "Start installation"
  (options page): check the folder, close Lumora, then let the wizard go on to install. }
procedure StartInstallation;
var
  Path: String;
  Code: Cardinal;
begin
  Path := UiPath;
  Code := LumUI_ValidatePath(Path, {#RequiredMiB});
  if Code <> PathUsable then begin
    Log('Installation folder refused: ' + Path + '; result=' + IntToStr(Code));
    LumUI_SetText('Error', PathErrorText(Code));
    ShowPage(PageOptionsPathError);
    Exit;
  end;
  if not CloseRunningLumora(AddBackslash(Path) + '{#AppExe}') then Exit;
  WizardForm.DirEdit.Text := Path;
  LumUI_SetProgress(0, 100, '');
  ShowPage(PageInstalling);
  NextClickPending := True;
end;

function ExistingUninstaller: String;
var
  Command: String;
begin
  Result := '';
  if not RegQueryStringValue(HKA, UninstallKey, 'UninstallString', Command) then Exit;
  { "<folder>\unins000.exe" followed by its switches. }
  if Copy(Command, 1, 1) = '"' then begin
    Delete(Command, 1, 1);
    Result := Copy(Command, 1, Pos('"', Command) - 1);
  end else
    Result := Command;
end;

procedure CloseLumoraUI;
begin
  if PollTimer <> 0 then begin
    KillTimer(0, PollTimer);
    PollTimer := 0;
  end;
  if UiAttached then begin
    { Fades the window out (120 ms), hides it, puts the wizard form's own window procedure
      back and releases everything; page, flags, path and texts stay for a later attach. }
    LumUI_Destroy;
    UiAttached := False;
  end;
end;

procedure ExitSetup;
begin
  ForcedExit := True;
  WizardForm.CancelButton.OnClick(WizardForm.CancelButton);
end;

procedure UninstallInstead;
var
  Uninstaller: String;
  ResultCode: Integer;
begin
  Uninstaller := ExistingUninstaller;
  if (Uninstaller = '') or
     not Exec(Uninstaller, '/VERYSILENT /LUMUI', '', SW_SHOWNORMAL, ewNoWait, ResultCode) then begin
    Log('The uninstaller of the existing installation could not be started: ' + Uninstaller);
    Exit;
  end;
  CloseLumoraUI;
  ExitSetup;
end;

procedure CancelSetup;
begin
  { Before any file is copied there is nothing to undo; while files are copied, ask first.
    Inno Setup then rolls the installation back while the installing page stays up. }
  if (UiPage = PageInstalling) and (LumUI_Confirm(DialogCancelInstall) = 0) then Exit;
  ExitSetup;
end;

procedure FinishSetup(Launch: Boolean);
var
  ResultCode: Integer;
begin
  if Launch then
    ExecAsOriginalUser(ExpandConstant('{app}\{#AppExe}'), '', '', SW_SHOWNORMAL, ewNoWait, ResultCode);
  CloseLumoraUI;
  { The wizard is on its finished page: "Next" is its Finish button. }
  NextClickPending := True;
end;

procedure HandleEvent(Event: Integer);
begin
  if Event >= EventLanguageFirst then begin
    { The library does not change the language itself: it reports the choice. }
    LoadUiLanguage(LanguageOfMenuItem(Event - EventLanguageFirst));
    Exit;
  end;
  case Event of
    EventInstall, EventStart: StartInstallation;
    EventCustomize: ShowPage(PageOptions);
    EventBack: ShowPage(PageWelcome);
    EventBrowse: BrowseForInstallFolder;
    EventTerms: OpenLink(LinkTerms);
    EventPrivacy: OpenLink(LinkPrivacy);
    EventUninstallInstead: UninstallInstead;
    EventCancel: CancelSetup;
    EventLaunch: FinishSetup(True);
    EventFinish: FinishSetup(False);
  end;
end;

{ Every 50 ms on Setup's thread: take the user's actions out of the queue. LumUI_Confirm and
  LumUI_CloseApplication pump this thread's messages while they wait, and with them this timer,
  hence the guard. The wizard's Next click comes after the guard is released: the installation
  it starts keeps pumping messages, and the installing page's cancel button must still work. }
procedure PollLumoraEvents(Wnd, Msg, TimerId, Time: Longword);
var
  Event: Integer;
begin
  if InPoll or not UiAttached then Exit;
  InPoll := True;
  try
    try
      if PendingCancel then begin
        PendingCancel := False;
        HandleEvent(EventCancel);
      end;
      Event := LumUI_Poll;
      while (Event <> 0) and UiAttached do begin
        HandleEvent(Event);
        Event := LumUI_Poll;
      end;
    except
      { An exception must not unwind through the timer's caller in user32. }
      Log('Lumora event handling failed: ' + GetExceptionMessage);
    end;
  finally
    InPoll := False;
  end;
  if NextClickPending then begin
    NextClickPending := False;
    WizardForm.NextButton.OnClick(WizardForm.NextButton);
  end;
end;

procedure InitializeWizard;
begin
  ExistingDir := WizardForm.PrevAppDir;
  { A silent installation shows no Lumora window; PrepareToInstall closes Lumora. }
  if WizardSilent then Exit;
  LumUI_SetText('Version', '{#AppVersion}');
  if ExistingDir <> '' then begin
    LumUI_SetPath(ExistingDir);
    ShowPage(PageExisting);
  end else begin
    LumUI_SetPath(WizardDirValue);
    ShowPage(PageWelcome);
  end;
  { Attached here, before the wizard form is first shown, so that the form appears already
    as the Lumora window and fades in. DPI 0: the library reads the DPI of the form's screen. }
  UiAttached := LumUI_Attach(WizardForm.Handle, 0) = 1;
  if not UiAttached then begin
    Log('The Lumora window could not be set up; the standard wizard is shown.');
    Exit;
  end;
  PollTimer := SetTimer(0, 0, 50, CreateCallback(@PollLumoraEvents));
end;

procedure CurPageChanged(CurPageID: Integer);
begin
  if not UiAttached then Exit;
  { The wizard's buttons lie hidden under the Lumora window; keep them hidden, so that Enter
    and Escape reach the Lumora window and not Inno Setup's default and cancel buttons. }
  WizardForm.NextButton.Visible := False;
  WizardForm.BackButton.Visible := False;
  WizardForm.CancelButton.Visible := False;
  if CurPageID = wpFinished then begin
    LumUI_SetProgress(100, 100, '');
    ShowPage(PageInstalled);
  end;
end;

procedure CancelButtonClick(CurPageID: Integer; var Cancel, Confirm: Boolean);
begin
  if ForcedExit then begin
    Confirm := False;
    Exit;
  end;
  if UiAttached then begin
    { Alt+F4 on the wizard form: answer in the Lumora window, as its own close button does. }
    Cancel := False;
    PendingCancel := True;
  end;
end;

procedure CurInstallProgressChanged(CurProgress, MaxProgress: Integer);
begin
  if UiAttached then
    LumUI_SetProgress(CurProgress, MaxProgress, WizardForm.StatusLabel.Caption);
end;

function PrepareToInstall(var NeedsRestart: Boolean): String;
var
  Exe: String;
begin
  Result := '';
  { With the Lumora window, StartInstallation has closed Lumora already. Without it (silent
    installation, or no window could be made) close it without asking: the call blocks for up
    to ~8.6 s. A non-empty result stops Setup with that message. }
  if UiAttached then Exit;
  Exe := ExpandConstant('{app}\{#AppExe}');
  if LumUI_ProcessRunning(Exe) = 0 then Exit;
  if LumUI_CloseApplication(Exe) = 0 then
    Result := 'Lumora could not be closed:' + #13#10 + LumProcessReport;
end;

procedure CurStepChanged(CurStep: TSetupStep);
begin
  if CurStep <> ssPostInstall then Exit;
  { Windows' app list starts the uninstaller with the Lumora window and without Inno Setup's
    own question; "QuietUninstallString" (/SILENT) stays for administrators. The uninstaller
    shows the language that this Setup showed last. }
  RegWriteStringValue(HKA, UninstallKey, 'UninstallString',
    '"' + ExpandConstant('{uninstallexe}') + '" /VERYSILENT /LUMUI');
  RegWriteStringValue(HKA, UninstallKey, 'LumoraUILanguage', UiLanguage);
end;

procedure DeinitializeSetup;
begin
  CloseLumoraUI;
end;

{ ---- Uninstall ---- }

function HasSwitch(Name: String): Boolean;
var
  I: Integer;
begin
  Result := False;
  for I := 1 to ParamCount do
    if CompareText(ParamStr(I), '/' + Name) = 0 then Result := True;
end;

procedure RemoveLumoraUserData;
begin
  DelTree(ExpandConstant('{userappdata}\{#AppName}'), True, True, True);
  DelTree(ExpandConstant('{localappdata}\{#AppName}'), True, True, True);
end;

function InitializeUninstall: Boolean;
var
  Choice: Integer;
  Exe: String;
begin
  Result := True;
  OverrideFile := FindOverrideFile;
  ConfigureLumoraLog;
  if not RegQueryStringValue(HKA, UninstallKey, 'LumoraUILanguage', UiLanguage) then
    UiLanguage := ActiveLanguage;
  LoadUiLanguage(UiLanguage);
  Exe := ExpandConstant('{app}\{#AppExe}');

  if not HasSwitch('LUMUI') then begin
    { No window: close Lumora without asking (up to ~8.6 s); keep the files if it stays. }
    if (UnLumUI_ProcessRunning(Exe) <> 0) and (UnLumUI_CloseApplication(Exe) = 0) then begin
      Log('Lumora could not be closed; nothing was removed: ' + LumProcessReport);
      Result := False;
    end;
    Exit;
  end;

  UnLumUI_SetText('Version', '{#AppVersion}');
  { The library's own window; DPI 0: the DPI of the screen it appears on. }
  UiCreated := UnLumUI_Create(PageUninstallConfirm, 0) = 1;
  if not UiCreated then begin
    { A window made before attaching failed stays until LumUI_Destroy. }
    UnLumUI_Destroy;
    Result := MsgBox(FmtMessage(SetupMessage(msgConfirmUninstall), ['{#AppName}']),
      mbConfirmation, MB_YESNO) = IDYES;
    Exit;
  end;
  { LumUI_RunModal shows the window and waits on the start page for "Uninstall" (1, or 3 after
    the user confirmed clearing the data in the clear-data dialog) or a cancel (0; the window
    has faded out already). }
  repeat
    Choice := UnLumUI_RunModal;
    if Choice = ModalCancelled then begin
      UnLumUI_Destroy;
      UiCreated := False;
      Result := False;
      Exit;
    end;
  until CloseRunningLumora(Exe);
  RemoveUserData := Choice = ModalRemoveData;
  UnLumUI_SetProgress(0, 100, '');
  UnLumUI_SetPage(PageUninstalling);
end;

procedure CurUninstallStepChanged(CurUninstallStep: TUninstallStep);
begin
  case CurUninstallStep of
    usUninstall:
      if UiCreated then UnLumUI_SetProgress(10, 100, '');
    usPostUninstall:
      begin
        UninstallRan := True;
        if UiCreated then UnLumUI_SetProgress(70, 100, '');
        if RemoveUserData then begin
          { The uninstalling page shows its data-cleanup steps from here on. }
          if UiCreated then UnLumUI_SetFlags(UnLumUI_GetFlags or FlagDataCleanupStage);
          RemoveLumoraUserData;
        end;
        if UiCreated then UnLumUI_SetProgress(100, 100, '');
      end;
    usDone:
      if UiCreated then begin
        { "Finish", Escape or the close button end the wait, after the window faded out. }
        UnLumUI_SetPage(PageUninstalled);
        UnLumUI_RunModal;
        UnLumUI_Destroy;
        UiCreated := False;
      end;
  end;
end;

procedure DeinitializeUninstall;
begin
  if UiCreated then begin
    UnLumUI_Destroy;
    UiCreated := False;
  end;
  { The DLL was kept by the uninstaller (uninsneveruninstall): unload it, then remove it and
    the folder, which Inno Setup could not remove while the DLL was in it. }
  UnloadDLL(ExpandConstant('{app}\LumoraUI.dll'));
  if UninstallRan then begin
    DeleteFile(ExpandConstant('{app}\LumoraUI.dll'));
    RemoveDir(ExpandConstant('{app}'));
  end;
end;
