<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="zh_CN">
<context>
    <name>CCardCheckDlg</name>
    <message>
        <source>%1: &quot;%2&quot;</source>
        <translation>%1：“%2”</translation>
    </message>
    <message>
        <source>&quot;%1&quot; after &quot;%2&quot;</source>
        <translation>“%2”预设下输出的“%1”</translation>
    </message>
    <message>
        <source>the UID&apos;s first %1 bytes (a longer UID&apos;s other bytes are not in that text)</source>
        <translation>UID 的前 %1 个字节（更长 UID 的其余字节不在该文本中）</translation>
    </message>
    <message>
        <source>a UID of %1 bytes</source>
        <translation>%1 个字节的 UID</translation>
    </message>
    <message>
        <source>Worked out from %1: %2</source>
        <translation>根据%1推算：%2</translation>
    </message>
    <message>
        <source>, the one that gives the printed number</source>
        <translation>，即能得到卡面号码的那个</translation>
    </message>
    <message>
        <source>%1, %2</source>
        <translation>%1，%2</translation>
    </message>
    <message>
        <source>.</source>
        <translation>。</translation>
    </message>
    <message>
        <source> The text fits too: %1.</source>
        <translation>该文本也符合：%1。</translation>
    </message>
    <message>
        <source>; </source>
        <translation>；</translation>
    </message>
    <message>
        <source> The preset types %1 characters: the leading zeros left off count as zeros.</source>
        <translation>该预设输出 %1 个字符：省略的前导零按零计算。</translation>
    </message>
    <message>
        <source>Type the card&apos;s UID in hex, or what the reader types and the preset it was set to.</source>
        <translation>请输入卡片的十六进制 UID，或输入读卡器输出的内容及当时所设的预设。</translation>
    </message>
    <message>
        <source>Not a card&apos;s UID: %1.</source>
        <translation>不是卡片的 UID：%1。</translation>
    </message>
    <message>
        <source>No UID gives %1: %2.</source>
        <translation>没有 UID 能得到%1：%2。</translation>
    </message>
    <message>
        <source>Given by: %1. Also given by: %2.</source>
        <translation>可由以下设置得到：%1。也可由以下设置得到：%2。</translation>
    </message>
    <message>
        <source>Given by: %1.</source>
        <translation>可由以下设置得到：%1。</translation>
    </message>
    <message>
        <source>No preset or Special choice listed gives %1.</source>
        <translation>所列的预设和特殊设置都得不到 %1。</translation>
    </message>
    <message>
        <source>Type the number printed on the card to see which settings give it.</source>
        <translation>请输入卡面印刷的号码，查看哪些设置能得到它。</translation>
    </message>
    <message>
        <source>Save as Setting File</source>
        <translation>另存为设置文件</translation>
    </message>
    <message>
        <source>Nothing was saved: %1</source>
        <translation>未保存任何内容：%1</translation>
    </message>
    <message>
        <source>The setting just sent: %1</source>
        <translation>刚设置的参数：%1</translation>
    </message>
    <message>
        <source>Type the card&apos;s UID, then click into the box of what the reader types and present the card: it is checked against the setting just sent.</source>
        <translation>请输入卡的 UID，然后点击读卡器输出框并刷卡：将按刚设置的参数核对读卡器的输出。</translation>
    </message>
    <message>
        <source>The setting just sent reads data block %1, which this window cannot know: compare what the reader types with the block&apos;s text.</source>
        <translation>刚设置的参数读取数据块 %1，本窗口无法得知其内容：请将读卡器的输出与该块的文本比较。</translation>
    </message>
    <message>
        <source>The setting just sent types nothing for this card.</source>
        <translation>按刚设置的参数，读卡器对这张卡不输出任何内容。</translation>
    </message>
    <message>
        <source>Now present the card: the reader should type %1.</source>
        <translation>现在请刷卡：读卡器应输出 %1。</translation>
    </message>
    <message>
        <source>As expected: the reader typed %1.</source>
        <translation>与预期一致：读卡器输出了 %1。</translation>
    </message>
    <message>
        <source>Not what this setting types: expected %1, got %2.</source>
        <translation>与该参数的输出不符：应为 %1，实为 %2。</translation>
    </message>
</context>
<context>
    <name>CDlgCardSizeDetail1</name>
    <message>
        <source>Set ok</source>
        <translation>设置成功</translation>
    </message>
    <message>
        <source>Paramter set ok</source>
        <translation>参数设置成功</translation>
    </message>
</context>
<context>
    <name>CPage_comm</name>
    <message>
        <source>4-byte</source>
        <translation>4字节卡号</translation>
    </message>
    <message>
        <source>7-byte</source>
        <translation>7字节卡号</translation>
    </message>
    <message>
        <source>Get-Ver</source>
        <translation>获取版本</translation>
    </message>
    <message>
        <source>Set ok</source>
        <translation>设置成功</translation>
    </message>
    <message>
        <source>Get version failed</source>
        <translation>获取版本失败</translation>
    </message>
    <message>
        <source>Get version success</source>
        <translation>获取版本成功</translation>
    </message>
    <message>
        <source>Simple Setting</source>
        <translation>常用设置</translation>
    </message>
</context>
<context>
    <name>CPage_special</name>
    <message>
        <source>SN Size</source>
        <translation>卡号长度</translation>
    </message>
    <message>
        <source>Detail</source>
        <translation>详情</translation>
    </message>
    <message>
        <source>Data Base</source>
        <translation>数据形式</translation>
    </message>
    <message>
        <source>Data Orien</source>
        <translation>数据方向</translation>
    </message>
    <message>
        <source>Out Length</source>
        <translation>字串长度</translation>
    </message>
    <message>
        <source>Chars</source>
        <translation>字符</translation>
    </message>
    <message>
        <source>Header</source>
        <translation>命令头</translation>
    </message>
    <message>
        <source>Data From</source>
        <translation>读取位置</translation>
    </message>
    <message>
        <source>Addr</source>
        <translation>块地址</translation>
    </message>
    <message>
        <source>Password</source>
        <translation>密码</translation>
    </message>
    <message>
        <source>(Read UID when address set to 255)</source>
        <translation>(当地址为255时，设备将读取卡号)</translation>
    </message>
    <message>
        <source>Set</source>
        <translation>设  置</translation>
    </message>
    <message>
        <source>Data or length invalid</source>
        <translation>数据或长度无效</translation>
    </message>
    <message>
        <source>Set ok</source>
        <translation>设置成功</translation>
    </message>
    <message>
        <source>Special Setting</source>
        <translation>特殊设置</translation>
    </message>
    <message>
        <source>%1 takes the 6-byte key as 12 hexadecimal digits (0-9, A-F), such as %2.</source>
        <translation>%1 须为 6 字节密钥，即 12 位十六进制数字（0-9、A-F），例如 %2。</translation>
    </message>
    <message>
        <source>%1, %2 %3 %4</source>
        <translation>%1，%2：%3 %4 个字节</translation>
    </message>
    <message>
        <source>%1 %2 %3</source>
        <translation>%1 %2 %3</translation>
    </message>
    <message>
        <source>%1: %2</source>
        <translation>%1：%2</translation>
    </message>
</context>
<context>
    <name>CTavelinDlg</name>
    <message>
        <source>Port</source>
        <translation>端口</translation>
    </message>
    <message>
        <source>Baud</source>
        <translation>波特率</translation>
    </message>
    <message>
        <source>Open</source>
        <translation>打开</translation>
    </message>
    <message>
        <source>Clear MSG</source>
        <translation>清理信息框</translation>
    </message>
    <message>
        <source>Message log</source>
        <translation>信息框</translation>
    </message>
    <message>
        <source>Reader link failed</source>
        <translation>读卡器连接失败</translation>
    </message>
    <message>
        <source>Reader link ok</source>
        <translation>读卡器连接成功</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>关闭</translation>
    </message>
    <message>
        <source>Reader link released</source>
        <translation>读卡器连接已断开</translation>
    </message>
    <message>
        <source>Setting files (*.ini);;All files (*)</source>
        <translation>设置文件 (*.ini);;所有文件 (*)</translation>
    </message>
    <message>
        <source>Nothing was saved: %1</source>
        <translation>未保存任何内容：%1</translation>
    </message>
    <message>
        <source>%1 holds the preset &quot;%2&quot;: press that button on %3.</source>
        <translation>%1 保存的是预设“%2”：请在“%3”页上按该按钮。</translation>
    </message>
    <message>
        <source>ID/IC Card Data-Out Setting Tool</source>
        <translation>ID/IC卡读取格式设置工具</translation>
    </message>
    <message>
        <source>Linked: %1, %2</source>
        <translation>已连接：%1，%2</translation>
    </message>
</context>
<context>
    <name>ReaderLink</name>
    <message>
        <source>Port is not open</source>
        <translation>端口未打开</translation>
    </message>
    <message>
        <source>code: %1</source>
        <translation>代码：%1</translation>
    </message>
</context>
<context>
    <name>Reason</name>
    <message>
        <source>no answer from the reader within %1 ms (is it connected, powered and set to this baud rate?)</source>
        <translation>%1 毫秒内读卡器没有应答（是否已连接、已通电并设为此波特率？）</translation>
    </message>
    <message>
        <source>answer garbled (bad checksum; check the baud rate)</source>
        <translation>应答已损坏（校验和错误；请检查波特率）</translation>
    </message>
    <message>
        <source>answer garbled (not a reader&apos;s answer; is this the reader&apos;s port?)</source>
        <translation>应答已损坏（不是读卡器的应答；这是读卡器的端口吗？）</translation>
    </message>
    <message>
        <source>the port went away</source>
        <translation>端口已断开</translation>
    </message>
    <message>
        <source>no open link with this handle</source>
        <translation>此句柄没有打开的连接</translation>
    </message>
    <message>
        <source>an argument is missing or not valid</source>
        <translation>参数缺失或无效</translation>
    </message>
    <message>
        <source>a command the reader does not know</source>
        <translation>读卡器不认识的命令</translation>
    </message>
    <message>
        <source>a value out of range</source>
        <translation>数值超出范围</translation>
    </message>
    <message>
        <source>a request of the wrong size</source>
        <translation>请求的长度不对</translation>
    </message>
    <message>
        <source>a code this tool does not know</source>
        <translation>本工具不认识的代码</translation>
    </message>
    <message>
        <source>the reader refused the request with code %1 (%2)</source>
        <translation>读卡器拒绝了请求，代码 %1（%2）</translation>
    </message>
    <message>
        <source>the reader refused the handshake with code %1 (%2)</source>
        <translation>读卡器拒绝了握手，代码 %1（%2）</translation>
    </message>
    <message>
        <source>the reader library&apos;s own code %1, not one this program knows</source>
        <translation>读卡器库自己的代码 %1，本程序不认识</translation>
    </message>
    <message>
        <source>%1 (a later call opens it again once the reader is back)</source>
        <translation>%1（读卡器回来后，下一次调用会重新打开它）</translation>
    </message>
    <message>
        <source>%1, and opening it again failed: %2</source>
        <translation>%1，重新打开失败：%2</translation>
    </message>
    <message>
        <source>%1; an emulated reader would be at %2</source>
        <translation>%1；模拟读卡器应在 %2</translation>
    </message>
    <message>
        <source>cannot look up %1: %2</source>
        <translation>无法查找 %1：%2</translation>
    </message>
    <message>
        <source>cannot open device folder %1: %2</source>
        <translation>无法打开设备文件夹 %1：%2</translation>
    </message>
    <message>
        <source>device folder %1 ignored: %2</source>
        <translation>已忽略设备文件夹 %1：%2</translation>
    </message>
    <message>
        <source>not a directory</source>
        <translation>不是文件夹</translation>
    </message>
    <message>
        <source>owned by user id %1, not by you</source>
        <translation>属于用户 %1，不属于您</translation>
    </message>
    <message>
        <source>open to group or others (mode %1); chmod 700 it</source>
        <translation>组或其他用户可访问（权限 %1）；请对其执行 chmod 700</translation>
    </message>
    <message>
        <source>no such device for %1: looked for %2</source>
        <translation>%1 没有此设备：查找了 %2</translation>
    </message>
    <message>
        <source>/dev/ttyUSB0 or /dev/ttyACM0</source>
        <translation>/dev/ttyUSB0 或 /dev/ttyACM0</translation>
    </message>
    <message>
        <source>a USB serial port (none is plugged in)</source>
        <translation>USB 串口（没有插入）</translation>
    </message>
    <message>
        <source>%1 (not a symbolic link to a device&apos;s absolute path)</source>
        <translation>%1（不是指向设备绝对路径的符号链接）</translation>
    </message>
    <message>
        <source>one socket of %1 (two USB controllers give it the name; a device-folder entry %2 leading to one takes it)</source>
        <translation>%1 中的一个插口（两个 USB 控制器都给出此名称；设备文件夹中指向其一的条目 %2 可占用它）</translation>
    </message>
    <message>
        <source>no such device for %1: %2</source>
        <translation>%1 没有此设备：%2</translation>
    </message>
    <message>
        <source>%1 is already open in this program</source>
        <translation>%1 已在本程序中打开</translation>
    </message>
    <message>
        <source>%1 is busy: held by another program</source>
        <translation>%1 忙：被另一个程序占用</translation>
    </message>
    <message>
        <source>permission denied on %1: join the serial-port group (dialout on Debian: sudo adduser $USER dialout, then log in again)</source>
        <translation>%1 权限不足：请加入串口用户组（Debian 上为 dialout：sudo adduser $USER dialout，然后重新登录）</translation>
    </message>
    <message>
        <source>cannot open %1: %2</source>
        <translation>无法打开 %1：%2</translation>
    </message>
    <message>
        <source>not a serial device</source>
        <translation>不是串口设备</translation>
    </message>
    <message>
        <source>refused: a device-folder entry must lead to a tty of your own that others cannot write to (this one: owner user id %1, mode %2)</source>
        <translation>已拒绝：设备文件夹中的条目必须指向属于您且他人不可写的终端（此条目：所有者用户 %1，权限 %2）</translation>
    </message>
    <message>
        <source>cannot set %1 baud 8N1: %2</source>
        <translation>无法设置 %1 波特 8N1：%2</translation>
    </message>
    <message>
        <source>cannot set %1 baud 8N1</source>
        <translation>无法设置 %1 波特 8N1</translation>
    </message>
    <message>
        <source>too many links open (%1); close one first</source>
        <translation>打开的连接太多（%1）；请先关闭一个</translation>
    </message>
    <message>
        <source>no baud rate %1 on %2: use 9600 or 115200</source>
        <translation>%2 上没有波特率 %1：请用 9600 或 115200</translation>
    </message>
    <message>
        <source>%1: %2</source>
        <translation>%1：%2</translation>
    </message>
    <message>
        <source>%1; %2</source>
        <translation>%1；%2</translation>
    </message>
</context>
<context>
    <name>Templates</name>
    <message>
        <source>关于 Tavelin</source>
        <translation>关于 Tavelin</translation>
    </message>
    <message>
        <source>Tavelin，1.0 版</source>
        <translation>Tavelin，1.0 版</translation>
    </message>
    <message>
        <source>确定</source>
        <translation>确定</translation>
    </message>
    <message>
        <source>ID/IC卡读取格式设置工具</source>
        <translation>ID/IC卡读取格式设置工具</translation>
    </message>
    <message>
        <source>端口</source>
        <translation>端口</translation>
    </message>
    <message>
        <source>波特率</source>
        <translation>波特率</translation>
    </message>
    <message>
        <source>打 开</source>
        <translation>打 开</translation>
    </message>
    <message>
        <source>清理信息框</source>
        <translation>清理信息框</translation>
    </message>
    <message>
        <source>常用设置</source>
        <translation>常用设置</translation>
    </message>
    <message>
        <source>4字节卡号</source>
        <translation>4字节卡号</translation>
    </message>
    <message>
        <source>7字节卡号</source>
        <translation>7字节卡号</translation>
    </message>
    <message>
        <source>8位16进制（正向）</source>
        <translation>8位16进制（正向）</translation>
    </message>
    <message>
        <source>8位16进制（反向）</source>
        <translation>8位16进制（反向）</translation>
    </message>
    <message>
        <source>10位10进制（正向）</source>
        <translation>10位10进制（正向）</translation>
    </message>
    <message>
        <source>10位10进制（反向）</source>
        <translation>10位10进制（反向）</translation>
    </message>
    <message>
        <source>14位16进制（正向）</source>
        <translation>14位16进制（正向）</translation>
    </message>
    <message>
        <source>14位16进制（反向）</source>
        <translation>14位16进制（反向）</translation>
    </message>
    <message>
        <source>读取位置</source>
        <translation>读取位置</translation>
    </message>
    <message>
        <source>块地址</source>
        <translation>块地址</translation>
    </message>
    <message>
        <source>密码</source>
        <translation>密码</translation>
    </message>
    <message>
        <source>设置</source>
        <translation>设置</translation>
    </message>
    <message>
        <source>获取版本</source>
        <translation>获取版本</translation>
    </message>
    <message>
        <source>特殊设置</source>
        <translation>特殊设置</translation>
    </message>
    <message>
        <source>有</source>
        <translation>有</translation>
    </message>
    <message>
        <source>无</source>
        <translation>无</translation>
    </message>
    <message>
        <source>USB不带回车</source>
        <translation>USB不带回车</translation>
    </message>
    <message>
        <source>十进制</source>
        <translation>十进制</translation>
    </message>
    <message>
        <source>十六进制</source>
        <translation>十六进制</translation>
    </message>
    <message>
        <source>韦根</source>
        <translation>韦根</translation>
    </message>
    <message>
        <source>字符串</source>
        <translation>字符串</translation>
    </message>
    <message>
        <source>全部</source>
        <translation>全部</translation>
    </message>
    <message>
        <source>自定义</source>
        <translation>自定义</translation>
    </message>
    <message>
        <source>详情</source>
        <translation>详情</translation>
    </message>
    <message>
        <source>反向</source>
        <translation>反向</translation>
    </message>
    <message>
        <source>正向</source>
        <translation>正向</translation>
    </message>
    <message>
        <source>默认(前面去零)</source>
        <translation>默认(前面去零)</translation>
    </message>
    <message>
        <source>固定</source>
        <translation>固定</translation>
    </message>
    <message>
        <source>设  置</source>
        <translation>设  置</translation>
    </message>
    <message>
        <source>卡号长度</source>
        <translation>卡号长度</translation>
    </message>
    <message>
        <source>数据形式</source>
        <translation>数据形式</translation>
    </message>
    <message>
        <source>数据方向</source>
        <translation>数据方向</translation>
    </message>
    <message>
        <source>字串长度</source>
        <translation>字串长度</translation>
    </message>
    <message>
        <source>字符</source>
        <translation>字符</translation>
    </message>
    <message>
        <source>获  取</source>
        <translation>获  取</translation>
    </message>
    <message>
        <source>命令头</source>
        <translation>命令头</translation>
    </message>
    <message>
        <source>(当地址为255时，设备将读取卡号)</source>
        <translation>(当地址为255时，设备将读取卡号)</translation>
    </message>
    <message>
        <source>详细</source>
        <translation>详细</translation>
    </message>
    <message>
        <source>设 置</source>
        <translation>设 置</translation>
    </message>
    <message>
        <source>个字节</source>
        <translation>个字节</translation>
    </message>
    <message>
        <source>前</source>
        <translation>前</translation>
    </message>
    <message>
        <source>后</source>
        <translation>后</translation>
    </message>
    <message>
        <source>Card Check</source>
        <translation>卡片核对</translation>
    </message>
    <message>
        <source>Card &amp;UID (hex)</source>
        <translation>卡片 UID（十六进制）(&amp;U)</translation>
    </message>
    <message>
        <source>or the reader &amp;types</source>
        <translation>或读卡器的输出(&amp;T)</translation>
    </message>
    <message>
        <source>after the &amp;preset</source>
        <translation>所用预设(&amp;P)</translation>
    </message>
    <message>
        <source>&amp;What the reader types for this card, and the setting</source>
        <translation>读卡器对此卡的输出及对应设置(&amp;W)</translation>
    </message>
    <message>
        <source>the &amp;number printed on the card</source>
        <translation>卡面印刷的号码(&amp;N)</translation>
    </message>
    <message>
        <source>&amp;Save as Setting File...</source>
        <translation>另存为设置文件(&amp;S)...</translation>
    </message>
    <message>
        <source>关于 Tavelin(&amp;A)...</source>
        <translation>关于 Tavelin(&amp;A)...</translation>
    </message>
    <message>
        <source>Card Check(&amp;K)...</source>
        <translation>卡片核对(&amp;K)...</translation>
    </message>
    <message>
        <source>Save Special Setting as...</source>
        <translation>将特殊设置另存为...</translation>
    </message>
    <message>
        <source>Load Special Setting...</source>
        <translation>载入特殊设置...</translation>
    </message>
    <message>
        <source>Type a number of bytes from %1 to %2.</source>
        <translation>请输入 %1 到 %2 之间的字节数。</translation>
    </message>
</context>
<context>
    <name>card</name>
    <message>
        <source>no hex digits</source>
        <translation>没有十六进制数字</translation>
    </message>
    <message>
        <source>%1 is not a hex digit</source>
        <translation>%1 不是十六进制数字</translation>
    </message>
    <message>
        <source>an odd number of hex digits (%1): two make a byte</source>
        <translation>十六进制数字个数为奇数（%1 个）：每两个组成一个字节</translation>
    </message>
    <message>
        <source>%1 bytes, not %2 to %3</source>
        <translation>%1 个字节，而不是 %2 到 %3 个</translation>
    </message>
    <message>
        <source>no text</source>
        <translation>没有文本</translation>
    </message>
    <message>
        <source>%1 is not a decimal digit</source>
        <translation>%1 不是十进制数字</translation>
    </message>
    <message>
        <source>this preset types %1 characters, not %2</source>
        <translation>该预设输出 %1 个字符，而不是 %2 个</translation>
    </message>
    <message>
        <source>a number larger than %1 bytes hold</source>
        <translation>数字超出了 %1 个字节所能容纳的范围</translation>
    </message>
    <message>
        <source>not a valid setting: String puts out a data block&apos;s text, and block address 255 reads the UID</source>
        <translation>不是有效的设置：String 输出的是数据块的文本，而块地址 255 读取的是 UID</translation>
    </message>
</context>
<context>
    <name>params</name>
    <message>
        <source>8-out-hex-forward</source>
        <translation>8位16进制（正向）</translation>
    </message>
    <message>
        <source>8-out-hex-reverse</source>
        <translation>8位16进制（反向）</translation>
    </message>
    <message>
        <source>10-out-dec-forward</source>
        <translation>10位10进制（正向）</translation>
    </message>
    <message>
        <source>10-out-dec-reverse</source>
        <translation>10位10进制（反向）</translation>
    </message>
    <message>
        <source>14-out-hex-forward</source>
        <translation>14位16进制（正向）</translation>
    </message>
    <message>
        <source>14-out-hex-reverse</source>
        <translation>14位16进制（反向）</translation>
    </message>
    <message>
        <source>Decimal</source>
        <translation>十进制</translation>
    </message>
    <message>
        <source>Hexadecimal</source>
        <translation>十六进制</translation>
    </message>
    <message>
        <source>Wiegand</source>
        <translation>韦根</translation>
    </message>
    <message>
        <source>String</source>
        <translation>字符串</translation>
    </message>
    <message>
        <source>Forward</source>
        <translation>正向</translation>
    </message>
    <message>
        <source>Reverse</source>
        <translation>反向</translation>
    </message>
    <message>
        <source>All</source>
        <translation>全部</translation>
    </message>
    <message>
        <source>Self-Define</source>
        <translation>自定义</translation>
    </message>
    <message>
        <source>Default</source>
        <translation>默认(前面去零)</translation>
    </message>
    <message>
        <source>Static</source>
        <translation>固定</translation>
    </message>
    <message>
        <source>With</source>
        <translation>有</translation>
    </message>
    <message>
        <source>WithOut</source>
        <translation>无</translation>
    </message>
    <message>
        <source>USB Without Enter</source>
        <translation>USB不带回车</translation>
    </message>
    <message>
        <source>Set return error，</source>
        <translation>设置返回错误，</translation>
    </message>
    <message>
        <source>Set header return error，</source>
        <translation>设置命令头返回错误，</translation>
    </message>
    <message>
        <source>Set address of reading return error，</source>
        <translation>设置读取地址返回错误，</translation>
    </message>
</context>
<context>
    <name>setting</name>
    <message>
        <source>bytes</source>
        <translation>个字节</translation>
    </message>
    <message>
        <source>characters</source>
        <translation>个字符</translation>
    </message>
    <message>
        <source>%1 or %2</source>
        <translation>%1 或 %2</translation>
    </message>
    <message>
        <source>, %1 1..%2 %3</source>
        <translation>，%1 为 1..%2 %3</translation>
    </message>
    <message>
        <source>0..255, where 255 reads the card&apos;s UID</source>
        <translation>0..255，其中 255 读取卡片的 UID</translation>
    </message>
    <message>
        <source>12 hexadecimal digits</source>
        <translation>12 位十六进制数字</translation>
    </message>
    <message>
        <source>%1 = %2 is not valid: %1 takes %3</source>
        <translation>%1 = %2 无效：%1 可取 %3</translation>
    </message>
    <message>
        <source>base = %1 with block = %2: %3</source>
        <translation>base = %1 与 block = %2 搭配：%3</translation>
    </message>
    <message>
        <source>no preset %1</source>
        <translation>没有预设 %1</translation>
    </message>
    <message>
        <source>%1: cannot write: %2</source>
        <translation>%1：无法写入：%2</translation>
    </message>
    <message>
        <source>no such file</source>
        <translation>没有此文件</translation>
    </message>
    <message>
        <source>not a file that can be read</source>
        <translation>不是可读取的文件</translation>
    </message>
    <message>
        <source>%1 bytes: too large for a setting file</source>
        <translation>%1 个字节：作为设置文件太大</translation>
    </message>
    <message>
        <source>cannot read: %1</source>
        <translation>无法读取：%1</translation>
    </message>
    <message>
        <source>%1 holds bytes that are not text (shown as \xNN): write the line again as UTF-8 text</source>
        <translation>%1 含有非文本的字节（显示为 \xNN）：请以 UTF-8 文本重写该行</translation>
    </message>
    <message>
        <source>%1 is a section header: a setting file has none, only key = value lines</source>
        <translation>%1 是节标题：设置文件没有节，只有 key = value 行</translation>
    </message>
    <message>
        <source>%1 is not key = value: write key = value, or ; before a comment</source>
        <translation>%1 不是 key = value：请写成 key = value，注释前加 ;</translation>
    </message>
    <message>
        <source>unknown key %1: a setting file has format and preset, or format and %2</source>
        <translation>未知的键 %1：设置文件包含 format 和 preset，或 format 和 %2</translation>
    </message>
    <message>
        <source>%1 is given again, first on line %2: a setting file gives each key once</source>
        <translation>%1 重复出现，首次出现在第 %2 行：设置文件中每个键只能出现一次</translation>
    </message>
    <message>
        <source>no format key: write format = %1 first</source>
        <translation>没有 format 键：请先写 format = %1</translation>
    </message>
    <message>
        <source>format = %1 is not one this program reads: format takes %2</source>
        <translation>本程序无法读取 format = %1：format 可取 %2</translation>
    </message>
    <message>
        <source>%1 with a preset: a preset file holds format and preset only</source>
        <translation>%1 与预设同在：预设文件只包含 format 和 preset</translation>
    </message>
    <message>
        <source>no %1 key: add a line %2 = ...: %2 takes %3</source>
        <translation>没有 %1 键：请添加一行 %2 = ...：%2 可取 %3</translation>
    </message>
</context>
</TS>
