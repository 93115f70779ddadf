<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en">
<context>
    <name>CCardCheckDlg</name>
    <message>
        <source>%1: &quot;%2&quot;</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&quot;%1&quot; after &quot;%2&quot;</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>the UID&apos;s first %1 bytes (a longer UID&apos;s other bytes are not in that text)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>a UID of %1 bytes</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Worked out from %1: %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>, the one that gives the printed number</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1, %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source> The text fits too: %1.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>; </source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source> The preset types %1 characters: the leading zeros left off count as zeros.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Type the card&apos;s UID in hex, or what the reader types and the preset it was set to.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Not a card&apos;s UID: %1.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>No UID gives %1: %2.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Given by: %1. Also given by: %2.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Given by: %1.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>No preset or Special choice listed gives %1.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Type the number printed on the card to see which settings give it.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Save as Setting File</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Nothing was saved: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The setting just sent: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Type the card&apos;s UID, then click into the box of what the reader types and present the card: it is checked against the setting just sent.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The setting just sent reads data block %1, which this window cannot know: compare what the reader types with the block&apos;s text.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The setting just sent types nothing for this card.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Now present the card: the reader should type %1.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>As expected: the reader typed %1.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Not what this setting types: expected %1, got %2.</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>CDlgCardSizeDetail1</name>
    <message>
        <source>Set ok</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Paramter set ok</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>CPage_comm</name>
    <message>
        <source>4-byte</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>7-byte</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Get-Ver</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Set ok</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Get version failed</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Get version success</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Simple Setting</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>CPage_special</name>
    <message>
        <source>SN Size</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Detail</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Data Base</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Data Orien</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Out Length</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Chars</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Header</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Data From</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Addr</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Password</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>(Read UID when address set to 255)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Set</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Data or length invalid</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Set ok</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Special Setting</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 takes the 6-byte key as 12 hexadecimal digits (0-9, A-F), such as %2.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1, %2 %3 %4</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 %2 %3</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1: %2</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>CTavelinDlg</name>
    <message>
        <source>Port</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Baud</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Open</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Clear MSG</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Message log</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Reader link failed</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Reader link ok</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Close</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Reader link released</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Setting files (*.ini);;All files (*)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Nothing was saved: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 holds the preset &quot;%2&quot;: press that button on %3.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>ID/IC Card Data-Out Setting Tool</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Linked: %1, %2</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>ReaderLink</name>
    <message>
        <source>Port is not open</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>code: %1</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>Reason</name>
    <message>
        <source>no answer from the reader within %1 ms (is it connected, powered and set to this baud rate?)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>answer garbled (bad checksum; check the baud rate)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>answer garbled (not a reader&apos;s answer; is this the reader&apos;s port?)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>the port went away</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>no open link with this handle</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>an argument is missing or not valid</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>a command the reader does not know</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>a value out of range</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>a request of the wrong size</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>a code this tool does not know</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>the reader refused the request with code %1 (%2)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>the reader refused the handshake with code %1 (%2)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>the reader library&apos;s own code %1, not one this program knows</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 (a later call opens it again once the reader is back)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1, and opening it again failed: %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1; an emulated reader would be at %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>cannot look up %1: %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>cannot open device folder %1: %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>device folder %1 ignored: %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>not a directory</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>owned by user id %1, not by you</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>open to group or others (mode %1); chmod 700 it</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>no such device for %1: looked for %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>/dev/ttyUSB0 or /dev/ttyACM0</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>a USB serial port (none is plugged in)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 (not a symbolic link to a device&apos;s absolute path)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>one socket of %1 (two USB controllers give it the name; a device-folder entry %2 leading to one takes it)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>no such device for %1: %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 is already open in this program</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 is busy: held by another program</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>permission denied on %1: join the serial-port group (dialout on Debian: sudo adduser $USER dialout, then log in again)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>cannot open %1: %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>not a serial device</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>refused: a device-folder entry must lead to a tty of your own that others cannot write to (this one: owner user id %1, mode %2)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>cannot set %1 baud 8N1: %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>cannot set %1 baud 8N1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>too many links open (%1); close one first</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>no baud rate %1 on %2: use 9600 or 115200</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1: %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1; %2</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>Templates</name>
    <message>
        <source>关于 Tavelin</source>
        <translation>About Tavelin</translation>
    </message>
    <message>
        <source>Tavelin，1.0 版</source>
        <translation>Tavelin, version 1.0</translation>
    </message>
    <message>
        <source>确定</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>ID/IC卡读取格式设置工具</source>
        <translation>ID/IC Card Data-Out Setting Tool</translation>
    </message>
    <message>
        <source>端口</source>
        <translation>Port</translation>
    </message>
    <message>
        <source>波特率</source>
        <translation>Baud</translation>
    </message>
    <message>
        <source>打 开</source>
        <translation>Open</translation>
    </message>
    <message>
        <source>清理信息框</source>
        <translation>Clear MSG</translation>
    </message>
    <message>
        <source>常用设置</source>
        <translation>Simple Setting</translation>
    </message>
    <message>
        <source>4字节卡号</source>
        <translation>4-byte</translation>
    </message>
    <message>
        <source>7字节卡号</source>
        <translation>7-byte</translation>
    </message>
    <message>
        <source>8位16进制（正向）</source>
        <translation>8-out-hex-forward</translation>
    </message>
    <message>
        <source>8位16进制（反向）</source>
        <translation>8-out-hex-reverse</translation>
    </message>
    <message>
        <source>10位10进制（正向）</source>
        <translation>10-out-dec-forward</translation>
    </message>
    <message>
        <source>10位10进制（反向）</source>
        <translation>10-out-dec-reverse</translation>
    </message>
    <message>
        <source>14位16进制（正向）</source>
        <translation>14-out-hex-forward</translation>
    </message>
    <message>
        <source>14位16进制（反向）</source>
        <translation>14-out-hex-reverse</translation>
    </message>
    <message>
        <source>读取位置</source>
        <translation>Data From</translation>
    </message>
    <message>
        <source>块地址</source>
        <translation>Addr</translation>
    </message>
    <message>
        <source>密码</source>
        <translation>Password</translation>
    </message>
    <message>
        <source>设置</source>
        <translation>Set</translation>
    </message>
    <message>
        <source>获取版本</source>
        <translation>Get-Ver</translation>
    </message>
    <message>
        <source>特殊设置</source>
        <translation>Special Setting</translation>
    </message>
    <message>
        <source>有</source>
        <translation>With</translation>
    </message>
    <message>
        <source>无</source>
        <translation>WithOut</translation>
    </message>
    <message>
        <source>USB不带回车</source>
        <translation>USB Without Enter</translation>
    </message>
    <message>
        <source>十进制</source>
        <translation>Decimal</translation>
    </message>
    <message>
        <source>十六进制</source>
        <translation>Hexadecimal</translation>
    </message>
    <message>
        <source>韦根</source>
        <translation>Wiegand</translation>
    </message>
    <message>
        <source>字符串</source>
        <translation>String</translation>
    </message>
    <message>
        <source>全部</source>
        <translation>All</translation>
    </message>
    <message>
        <source>自定义</source>
        <translation>Self-Define</translation>
    </message>
    <message>
        <source>详情</source>
        <translation>Detail</translation>
    </message>
    <message>
        <source>反向</source>
        <translation>Reverse</translation>
    </message>
    <message>
        <source>正向</source>
        <translation>Forward</translation>
    </message>
    <message>
        <source>默认(前面去零)</source>
        <translation>Default</translation>
    </message>
    <message>
        <source>固定</source>
        <translation>Static</translation>
    </message>
    <message>
        <source>设  置</source>
        <translation>Set</translation>
    </message>
    <message>
        <source>卡号长度</source>
        <translation>SN Size</translation>
    </message>
    <message>
        <source>数据形式</source>
        <translation>Data Base</translation>
    </message>
    <message>
        <source>数据方向</source>
        <translation>Data Orien</translation>
    </message>
    <message>
        <source>字串长度</source>
        <translation>Out Length</translation>
    </message>
    <message>
        <source>字符</source>
        <translation>Chars</translation>
    </message>
    <message>
        <source>获  取</source>
        <translation>Get</translation>
    </message>
    <message>
        <source>命令头</source>
        <translation>Header</translation>
    </message>
    <message>
        <source>(当地址为255时，设备将读取卡号)</source>
        <translation>(Read UID when address set to 255)</translation>
    </message>
    <message>
        <source>详细</source>
        <translation>Detail</translation>
    </message>
    <message>
        <source>设 置</source>
        <translation>Set</translation>
    </message>
    <message>
        <source>个字节</source>
        <translation>bytes</translation>
    </message>
    <message>
        <source>前</source>
        <translation>First</translation>
    </message>
    <message>
        <source>后</source>
        <translation>Last</translation>
    </message>
    <message>
        <source>Card Check</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Card &amp;UID (hex)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>or the reader &amp;types</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>after the &amp;preset</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;What the reader types for this card, and the setting</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>the &amp;number printed on the card</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Save as Setting File...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>关于 Tavelin(&amp;A)...</source>
        <translation>&amp;About Tavelin...</translation>
    </message>
    <message>
        <source>Card Check(&amp;K)...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Save Special Setting as...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Load Special Setting...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Type a number of bytes from %1 to %2.</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>card</name>
    <message>
        <source>no hex digits</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 is not a hex digit</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>an odd number of hex digits (%1): two make a byte</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 bytes, not %2 to %3</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>no text</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 is not a decimal digit</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>this preset types %1 characters, not %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>a number larger than %1 bytes hold</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>not a valid setting: String puts out a data block&apos;s text, and block address 255 reads the UID</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>params</name>
    <message>
        <source>8-out-hex-forward</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>8-out-hex-reverse</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>10-out-dec-forward</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>10-out-dec-reverse</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>14-out-hex-forward</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>14-out-hex-reverse</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Decimal</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Hexadecimal</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Wiegand</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>String</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Forward</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Reverse</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>All</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Self-Define</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Default</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Static</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>With</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>WithOut</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>USB Without Enter</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Set return error，</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Set header return error，</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Set address of reading return error，</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>setting</name>
    <message>
        <source>bytes</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>characters</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 or %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>, %1 1..%2 %3</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>0..255, where 255 reads the card&apos;s UID</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>12 hexadecimal digits</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 = %2 is not valid: %1 takes %3</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>base = %1 with block = %2: %3</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>no preset %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1: cannot write: %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>no such file</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>not a file that can be read</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 bytes: too large for a setting file</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>cannot read: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 holds bytes that are not text (shown as \xNN): write the line again as UTF-8 text</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 is a section header: a setting file has none, only key = value lines</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 is not key = value: write key = value, or ; before a comment</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>unknown key %1: a setting file has format and preset, or format and %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 is given again, first on line %2: a setting file gives each key once</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>no format key: write format = %1 first</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>format = %1 is not one this program reads: format takes %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 with a preset: a preset file holds format and preset only</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>no %1 key: add a line %2 = ...: %2 takes %3</source>
        <translation type="unfinished"></translation>
    </message>
</context>
</TS>
