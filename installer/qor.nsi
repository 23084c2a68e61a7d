; Installer of QOR: qor.exe, qorcheck.exe beside it, and the setup library
; qor_set_dll.dll.
; Built by CMake (installer/CMakeLists.txt), which defines:
;   QOR_VERSION   the product version (top-level CMakeLists.txt)
;   QOR_VERSION_NUMBERS  the same as four numbers, for the version resource
;   QOR_BIN_DIR   the folder holding qor.exe, qorcheck.exe and qor_set_dll.dll
;   OUT_FILE      path of the installer to write
;   QOR_UNINSTALLER_FINALIZE  (optional) a command run on the uninstaller
;                 written here, with its path as the last argument, before it
;                 is packed: a release signs it so.
; Silent mode: qor-setup.exe /S  (optionally /D=C:\target, last on the line).

!ifndef QOR_VERSION | QOR_VERSION_NUMBERS | QOR_BIN_DIR | OUT_FILE
  !error "QOR_VERSION, QOR_VERSION_NUMBERS, QOR_BIN_DIR and OUT_FILE must be defined (-D...)"
!endif
!define QOR_EXE "${QOR_BIN_DIR}/qor.exe"
!define QOR_CHECK_EXE "${QOR_BIN_DIR}/qorcheck.exe"
!define QOR_SET_DLL "${QOR_BIN_DIR}/qor_set_dll.dll"

Unicode false
SetCompressor /SOLID lzma
; The same inputs give the same installer, byte for byte: no file times are
; packed (they would be the build's), so the installed files carry the time of
; their installation.
SetDateSave off
!ifdef QOR_UNINSTALLER_FINALIZE
  !uninstfinalize `${QOR_UNINSTALLER_FINALIZE} "%1"` = 0
!endif
RequestExecutionLevel admin

!define APP_PATHS_KEY "SOFTWARE\Microsoft\Windows\CurrentVersion\App Paths\QOR.exe"
!define UNINSTALL_KEY "SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\QOR"
!define FILE_CLASS "QOR.Auftrag"
; A job file starts programs like a script does, so browsers and mail programs
; must ask before they open a downloaded one: EditFlags FTA_AlwaysUnsafe, which
; keeps "always ask before opening" on for the type and makes the shell count
; it as dangerous, and never FTA_OpenIsSafe (0x00010000).
!define FILE_CLASS_EDIT_FLAGS 0x00020000
!define SHCNE_ASSOCCHANGED 0x08000000

Name "QOR"
OutFile "${OUT_FILE}"
InstallDir "$PROGRAMFILES\QOR"
BrandingText "QOR ${QOR_VERSION}"

VIProductVersion "${QOR_VERSION_NUMBERS}"
VIAddVersionKey /LANG=1031 "ProductName" "QOR"
VIAddVersionKey /LANG=1031 "ProductVersion" "${QOR_VERSION}"
VIAddVersionKey /LANG=1031 "FileVersion" "${QOR_VERSION}"
VIAddVersionKey /LANG=1031 "FileDescription" "QOR Installation"
VIAddVersionKey /LANG=1031 "LegalCopyright" "QOR"

!include "MUI2.nsh"
!include "LogicLib.nsh"

; Set by the setup library when QOR is installed already: the update goes to
; the installed directory, so the directory page is not offered.
Var InstalledDir

!define MUI_CUSTOMFUNCTION_GUIINIT CheckWithWindow
!define MUI_PAGE_CUSTOMFUNCTION_PRE SkipDirectoryOnUpdate
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "German"

; Asks qor_set_dll.dll whether the installation may go on, as the library was
; made to be asked: installer window, the directory holding setup.ini, 0, a
; 256-byte buffer for the installed directory, 0. The library shows its own
; boxes (downgrade, ".qor" of another program); a false answer ends the setup.
; setup.ini is written from QOR_VERSION into the plug-in directory, so the
; setup version always travels inside qor-setup.exe.
Function CheckBeforeInstall
  InitPluginsDir
  File "/oname=$PLUGINSDIR\qor_set_dll.dll" "${QOR_SET_DLL}"
  WriteINIStr "$PLUGINSDIR\setup.ini" "Startup" "ProductVersion" "${QOR_VERSION}"

  System::Call 'kernel32::LoadLibraryA(m "$PLUGINSDIR\qor_set_dll.dll") p .r0'
  ${If} $0 P= 0
    MessageBox MB_OK|MB_ICONSTOP "Die Setup-Bibliothek qor_set_dll.dll konnte nicht geladen werden." /SD IDOK
    SetErrorLevel 2
    Quit
  ${EndIf}
  System::Call 'kernel32::GetProcAddress(p r0, m "CheckMimeType") p .r1'
  ; A zeroed 256-byte buffer: empty unless the library hands a directory back.
  System::Call '*(&m256 "") p .r2'
  System::Call '::$1(p $HWNDPARENT, m "$PLUGINSDIR", i 0, p r2, i 0) i .r3'
  System::Call '*$2(&m256 .r4)'
  System::Free $2
  System::Call 'kernel32::FreeLibrary(p r0)'

  ; The result is one byte; the rest of the register means nothing.
  IntOp $3 $3 & 0xFF
  ${If} $3 = 0
    SetErrorLevel 2
    Quit
  ${EndIf}
  ${If} $4 != ""
    StrCpy $InstalledDir $4
    StrCpy $INSTDIR $4
  ${EndIf}
FunctionEnd

Function .onInit
  ; Without a window the check runs here; with one, once the window exists.
  ${If} ${Silent}
    Call CheckBeforeInstall
  ${EndIf}
FunctionEnd

Function CheckWithWindow
  Call CheckBeforeInstall
FunctionEnd

Function SkipDirectoryOnUpdate
  ${If} $InstalledDir != ""
    Abort
  ${EndIf}
FunctionEnd

Section "QOR"
  SetOutPath "$INSTDIR"
  File "${QOR_EXE}"
  File "${QOR_CHECK_EXE}"
  File "${QOR_SET_DLL}"
  WriteUninstaller "$INSTDIR\uninstall.exe"

  WriteRegStr HKLM "${APP_PATHS_KEY}" "" "$INSTDIR\qor.exe"
  WriteRegStr HKLM "${APP_PATHS_KEY}" "Path" "$INSTDIR"
  WriteRegStr HKLM "${APP_PATHS_KEY}" "Version" "${QOR_VERSION}"

  ; Keep the class ".qor" pointed to before (the user agreed to take it
  ; over), so that uninstalling gives it back.
  ReadRegStr $0 HKCR ".qor" ""
  ${If} $0 != ""
  ${AndIf} $0 != "${FILE_CLASS}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "PreviousQorClass" "$0"
  ${EndIf}
  WriteRegStr HKCR ".qor" "" "${FILE_CLASS}"
  WriteRegStr HKCR "${FILE_CLASS}" "" "QOR-Auftrag"
  WriteRegDWORD HKCR "${FILE_CLASS}" "EditFlags" ${FILE_CLASS_EDIT_FLAGS}
  ; qor.exe takes all text after its own name as the job file path and does
  ; not remove quotation marks: so the program is quoted and %1 is not.
  WriteRegStr HKCR "${FILE_CLASS}\shell\open\command" "" '"$INSTDIR\qor.exe" %1'

  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "QOR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${QOR_VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1

  System::Call 'shell32::SHChangeNotify(i ${SHCNE_ASSOCCHANGED}, i 0, p 0, p 0)'
SectionEnd

Section "Uninstall"
  ; ".qor" and the App Paths key only while they are still this installation's.
  ReadRegStr $0 HKCR ".qor" ""
  ${If} $0 == "${FILE_CLASS}"
    ReadRegStr $1 HKLM "${UNINSTALL_KEY}" "PreviousQorClass"
    ${If} $1 != ""
      WriteRegStr HKCR ".qor" "" "$1"
    ${Else}
      DeleteRegValue HKCR ".qor" ""
      DeleteRegKey /ifempty HKCR ".qor"
    ${EndIf}
  ${EndIf}
  DeleteRegKey HKCR "${FILE_CLASS}"
  ReadRegStr $0 HKLM "${APP_PATHS_KEY}" "Path"
  ${If} $0 == "$INSTDIR"
    DeleteRegKey HKLM "${APP_PATHS_KEY}"
  ${EndIf}
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
  System::Call 'shell32::SHChangeNotify(i ${SHCNE_ASSOCCHANGED}, i 0, p 0, p 0)'

  Delete "$INSTDIR\qor.exe"
  Delete "$INSTDIR\qorcheck.exe"
  Delete "$INSTDIR\qor_set_dll.dll"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
SectionEnd
