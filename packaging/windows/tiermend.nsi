; The Windows installer, tiermend-<version>-setup.exe, built by Debian's NSIS (makensis)
; as a 64-bit installer. It installs both programs (tiermend.exe, the window program, and
; tiermend.com, the console program) under Program Files, registers the event log source
; "tiermend" with the message table the program carries, adds an uninstaller with its
; entry in Add/Remove Programs, and a Start-menu shortcut that starts the program in the
; working folder the user picks for Link.txt and the update package tiermenddb.mdb.
;
; Silent install: setup.exe /S [/WORKFOLDER=<folder>] [/D=<installation folder>]
; (/D last; the working folder defaults to tiermend in the Public Documents folder).
; Silent uninstall: the QuietUninstallString, "<installation folder>\uninstall.exe" /S.
; The uninstaller removes everything the installer added, but not the working folder's
; files: the folder goes only when the installer made it and it is empty.
;
; makensis -INPUTCHARSET UTF8 -DVERSION=<x.y.z> -DPROGRAM=<tiermend.exe>
;   -DCONSOLE_PROGRAM=<tiermend.com> -DCOPYRIGHT_FILE=<copyright> -DPUBLISHER=<name>
;   -DOUTFILE=<setup.exe> tiermend.nsi

Unicode true
Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel admin
ManifestSupportedOS all
ManifestDPIAware true

!include MUI2.nsh
!include FileFunc.nsh
!include LogicLib.nsh

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\tiermend"
!define EVENTLOG_KEY "SYSTEM\CurrentControlSet\Services\EventLog\Application\tiermend"
; The event types the source reports: error, warning, information.
!define EVENTLOG_TYPES 7

Name "tiermend ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\tiermend"
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "tiermend ${VERSION}"

VIProductVersion "${VERSION}.0"
VIFileVersion "${VERSION}.0"
VIAddVersionKey /LANG=0 "ProductName" "tiermend"
VIAddVersionKey /LANG=0 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=0 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=0 "FileDescription" "tiermend ${VERSION} setup"
VIAddVersionKey /LANG=0 "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=0 "LegalCopyright" "Copyright ${PUBLISHER}"

; The working folder: where the shortcut starts the program, so where it reads Link.txt
; and tiermenddb.mdb.
Var WorkFolder
; "1" when this installation made the working folder.
Var WorkFolderMade

!define MUI_ABORTWARNING
!insertmacro MUI_PAGE_DIRECTORY
!define MUI_PAGE_HEADER_TEXT "$(WorkFolderHeader)"
!define MUI_PAGE_HEADER_SUBTEXT "$(WorkFolderSubheader)"
!define MUI_DIRECTORYPAGE_TEXT_TOP "$(WorkFolderExplained)"
!define MUI_DIRECTORYPAGE_TEXT_DESTINATION "$(WorkFolderLabel)"
!define MUI_DIRECTORYPAGE_VARIABLE $WorkFolder
!define MUI_PAGE_CUSTOMFUNCTION_SHOW HideSpaceTexts
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES

; The first language is the one used where the user's language is neither.
!insertmacro MUI_LANGUAGE "TradChinese"
!insertmacro MUI_LANGUAGE "English"

LangString WorkFolderHeader ${LANG_TRADCHINESE} "工作資料夾"
LangString WorkFolderHeader ${LANG_ENGLISH} "Working folder"
LangString WorkFolderSubheader ${LANG_TRADCHINESE} "選擇放置 Link.txt 與更新檔 tiermenddb.mdb 的資料夾。"
LangString WorkFolderSubheader ${LANG_ENGLISH} "Choose the folder for Link.txt and the update package tiermenddb.mdb."
LangString WorkFolderExplained ${LANG_TRADCHINESE} "開始功能表的捷徑會在這個資料夾中啟動 tiermend，程式從這裡讀取 Link.txt 與 tiermenddb.mdb。解除安裝時不會刪除這個資料夾中的檔案。"
LangString WorkFolderExplained ${LANG_ENGLISH} "The Start-menu shortcut starts tiermend in this folder; the program reads Link.txt and tiermenddb.mdb there. Uninstalling leaves the files in this folder."
LangString WorkFolderLabel ${LANG_TRADCHINESE} "工作資料夾"
LangString WorkFolderLabel ${LANG_ENGLISH} "Working folder"
LangString WorkFolderRefused ${LANG_TRADCHINESE} "工作資料夾必須是完整路徑 (例如 C:\payroll\update)："
LangString WorkFolderRefused ${LANG_ENGLISH} "The working folder must be a full path (such as C:\payroll\update):"

; A full path: a drive letter, a colon and a backslash, or a network path (\\server\share).
Function IsFullPath
  Exch $0
  Push $1
  StrCpy $1 $0 2 1
  ${If} $1 == ":\"
    StrCpy $0 1
  ${Else}
    StrCpy $1 $0 2
    ${If} $1 == "\\"
      StrCpy $0 1
    ${Else}
      StrCpy $0 0
    ${EndIf}
  ${EndIf}
  Pop $1
  Exch $0
FunctionEnd

; The working folder page: the space the files need says nothing about that folder.
Function HideSpaceTexts
  FindWindow $0 "#32770" "" $HWNDPARENT
  GetDlgItem $1 $0 1023
  ShowWindow $1 ${SW_HIDE}
  GetDlgItem $1 $0 1024
  ShowWindow $1 ${SW_HIDE}
FunctionEnd

; The index in $0 (from $2 on) where the text $4 begins, or the length of $0 ($1) when
; it does not occur; in $2. Uses $3 and $5.
Function FindText
  StrLen $5 $4
  ${DoWhile} $2 < $1
    StrCpy $3 $0 $5 $2
    ${If} $3 == $4
      ${Break}
    ${EndIf}
    IntOp $2 $2 + 1
  ${Loop}
FunctionEnd

; Sets $WorkFolder from the option /WORKFOLDER=<folder>, when the command line has it,
; written as /WORKFOLDER=C:\update, /WORKFOLDER="C:\pay roll" or "/WORKFOLDER=C:\pay roll"
; (as programs quote an argument with a space). A value without quotes ends at the next
; " /". NSIS's own GetOptions knows only the second way with quotes.
Function ReadWorkFolderOption
  ${GetParameters} $0
  StrLen $1 $0
  StrCpy $2 0
  StrCpy $4 "/WORKFOLDER="
  Call FindText
  ${If} $2 >= $1
    Return
  ${EndIf}
  ; The value's end: a closing quote when the option or its value opens with one.
  StrCpy $6 " /"
  ${If} $2 > 0
    IntOp $3 $2 - 1
    StrCpy $3 $0 1 $3
    ${If} $3 == '"'
      StrCpy $6 '"'
    ${EndIf}
  ${EndIf}
  IntOp $2 $2 + 12
  StrCpy $3 $0 1 $2
  ${If} $3 == '"'
  ${AndIf} $6 != '"'
    StrCpy $6 '"'
    IntOp $2 $2 + 1
  ${EndIf}
  StrCpy $0 $0 "" $2
  StrLen $1 $0
  StrCpy $2 0
  StrCpy $4 $6
  Call FindText
  StrCpy $WorkFolder $0 $2
FunctionEnd

Function .onInit
  SetShellVarContext all
  SetRegView 64
  ; An installation over an earlier one keeps its working folder unless told otherwise.
  ReadRegStr $WorkFolder HKLM "${UNINSTALL_KEY}" "WorkFolder"
  ${If} $WorkFolder == ""
    StrCpy $WorkFolder "$DOCUMENTS\tiermend"
  ${EndIf}
  Call ReadWorkFolderOption
  Push $WorkFolder
  Call IsFullPath
  Pop $1
  ${If} $1 != 1
    MessageBox MB_ICONSTOP "$(WorkFolderRefused)$\r$\n$WorkFolder" /SD IDOK
    SetErrorLevel 2
    Quit
  ${EndIf}
FunctionEnd

Section
  SetShellVarContext all
  SetRegView 64

  SetOutPath "$INSTDIR"
  File "/oname=tiermend.exe" "${PROGRAM}"
  File "/oname=tiermend.com" "${CONSOLE_PROGRAM}"
  File "/oname=copyright.txt" "${COPYRIGHT_FILE}"
  WriteUninstaller "$INSTDIR\uninstall.exe"

  ; The event log source: the Event Viewer finds the records' text in the program's
  ; message table.
  WriteRegExpandStr HKLM "${EVENTLOG_KEY}" "EventMessageFile" "$INSTDIR\tiermend.exe"
  WriteRegDWORD HKLM "${EVENTLOG_KEY}" "TypesSupported" ${EVENTLOG_TYPES}

  ; The working folder, and the shortcut that starts the program there (a shortcut's
  ; working folder is the output folder when it is made).
  ; Made by this installation, or by the earlier one this one replaces.
  ReadRegStr $0 HKLM "${UNINSTALL_KEY}" "WorkFolder"
  ReadRegDWORD $1 HKLM "${UNINSTALL_KEY}" "WorkFolderMade"
  StrCpy $WorkFolderMade 0
  ${IfNot} ${FileExists} "$WorkFolder\*.*"
    CreateDirectory "$WorkFolder"
    StrCpy $WorkFolderMade 1
  ${ElseIf} $0 == $WorkFolder
  ${AndIf} $1 == 1
    StrCpy $WorkFolderMade 1
  ${EndIf}
  SetOutPath "$WorkFolder"
  CreateShortcut "$SMPROGRAMS\tiermend.lnk" "$INSTDIR\tiermend.exe" "" "" "" SW_SHOWNORMAL "" \
    "tiermend ${VERSION}"
  SetOutPath "$INSTDIR"

  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "tiermend"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\tiermend.exe"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
  ; What the uninstaller needs to know of the working folder.
  WriteRegStr HKLM "${UNINSTALL_KEY}" "WorkFolder" "$WorkFolder"
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "WorkFolderMade" $WorkFolderMade
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  IntFmt $0 "0x%08X" $0
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

Function un.onInit
  SetShellVarContext all
  SetRegView 64
FunctionEnd

Section "Uninstall"
  SetShellVarContext all
  SetRegView 64
  ReadRegStr $0 HKLM "${UNINSTALL_KEY}" "WorkFolder"
  ReadRegDWORD $1 HKLM "${UNINSTALL_KEY}" "WorkFolderMade"

  Delete "$SMPROGRAMS\tiermend.lnk"
  Delete "$INSTDIR\tiermend.exe"
  Delete "$INSTDIR\tiermend.com"
  Delete "$INSTDIR\copyright.txt"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"

  ; Without /r: a folder that still holds anything stays.
  ${If} $1 == 1
  ${AndIf} $0 != ""
    RMDir "$0"
  ${EndIf}

  DeleteRegKey HKLM "${EVENTLOG_KEY}"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
