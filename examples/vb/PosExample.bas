Attribute VB_Name = "PosExample"
' PosExample.bas: a point-of-sale program in miniature, in Visual Basic 6
' (or VBA), over the kit's declarations/OstrelZOLTDLL.bas. Add both modules
' to a project whose start-up object is Sub Main. It asks whether a PIN can
' be issued for a small basket, issues one, and shows the PIN with its
' expiry text, or the code the library answered and what to do on it.
'
' Run the compiled program from a station folder: the library is found and
' reads OstrelZOLTDLL.dta beside the process's executable (see
' INTEGRATING.md; in VBA that is beside EXCEL.EXE or MSACCESS.EXE).
Option Explicit

Private Function Advice(ByVal code As Long) As String
    Select Case code
    Case ZOLT_E_SOLD_OUT
        Advice = "PINs are sold out for now: tell the cashier, try again in a minute"
    Case ZOLT_E_PINS_OFF
        Advice = "PINs are turned off at this site: sell without a PIN"
    Case ZOLT_E_UNDETERMINED
        Advice = "no PIN this time (a file or the lock could not be used): retry once, " & _
                 "then run zolt status at this station and call support"
    Case ZOLT_E_YEAR
        Advice = "the library issues PINs only for sale dates in 2001 to 2015: no PIN (not a fault of the station's clock)"
    Case ZOLT_E_SIZE
        Advice = "the program passed a wrong basket size: a fault in the POS program"
    Case ZOLT_E_SETTINGS_MISSING, ZOLT_E_SETTINGS_DENIED
        Advice = "OstrelZOLTDLL.dta is missing beside the program or may not be written: " & _
                 "call the installer"
    Case ZOLT_E_DATA_FOLDER
        Advice = "the shared data folder cannot be reached: check the network, then call support"
    Case Else
        Advice = "the station is not set up right: no PIN; call the installer"
    End Select
End Function

Public Sub Main()
    Dim answer As Long
    Dim pin As Long
    Dim expiry As String

    On Error GoTo CannotLoad
    answer = ZoltQuerySoldOut(ZOLT_SIZE_SMALL)
    On Error GoTo 0
    If answer < 0 Then
        MsgBox "check_SoldOut_Condition: code " & answer & ": " & Advice(answer)
        Exit Sub
    End If
    pin = ZoltIssuePin(ZOLT_SIZE_SMALL, expiry)
    If pin < 0 Then
        MsgBox "ZoltResult: code " & pin & ": " & Advice(pin)
    Else
        MsgBox "ZoltResult: PIN " & Format$(pin, "000000") & ", good until " & expiry
    End If
    Exit Sub

CannotLoad:
    ' 48: the DLL was not found or is not a 32-bit DLL; 453: an entry point
    ' is missing (an old or wrong OstrelZOLTDLL.dll).
    MsgBox "Cannot use OstrelZOLTDLL.dll (error " & Err.Number & ": " & Err.Description & ")"
End Sub
