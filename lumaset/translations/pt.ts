<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="pt_BR" sourcelanguage="zh_CN">
<context>
    <name>CapturingDialog</name>
    <message>
        <source>裁剪图像</source>
        <translation>Recortar imagem</translation>
    </message>
</context>
<context>
    <name>MainWindow</name>
    <message>
        <source>MainWindow</source>
        <translation>MainWindow</translation>
    </message>
    <message>
        <source>图片转换工具</source>
        <translation>Conversor de imagens</translation>
    </message>
    <message>
        <source>文件</source>
        <translation>Arquivo</translation>
    </message>
    <message>
        <source>打开</source>
        <translation>Abrir</translation>
    </message>
    <message>
        <source>保存</source>
        <translation>Salvar</translation>
    </message>
    <message>
        <source>退出</source>
        <translation>Sair</translation>
    </message>
    <message>
        <source>编辑</source>
        <translation>Editar</translation>
    </message>
    <message>
        <source>打开截图</source>
        <translation>Abrir moldura de captura</translation>
    </message>
    <message>
        <source>关闭截图</source>
        <translation>Fechar moldura de captura</translation>
    </message>
    <message>
        <source>帮助</source>
        <translation>Ajuda</translation>
    </message>
    <message>
        <source>关于</source>
        <translation>Sobre</translation>
    </message>
    <message>
        <source>选择图片</source>
        <translation>Escolher uma imagem</translation>
    </message>
    <message>
        <source>图片格式</source>
        <translation>Imagens</translation>
    </message>
    <message>
        <source>提示</source>
        <translation>Aviso</translation>
    </message>
    <message>
        <source>文件已保存</source>
        <translation>Arquivo salvo</translation>
    </message>
    <message>
        <source>确定</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>图片尚未保存,是否保存图片?</source>
        <translation>A imagem ainda não foi salva. Deseja salvá-la?</translation>
    </message>
    <message>
        <source>是</source>
        <translation>Sim</translation>
    </message>
    <message>
        <source>否</source>
        <translation>Não</translation>
    </message>
    <message>
        <source>update 文件夹中没有固件包,标志未写入。请先放入固件包再保存。</source>
        <translation>Não há pacote de firmware na pasta update; o logotipo não foi gravado. Coloque um pacote nela e salve novamente.</translation>
    </message>
    <message>
        <source>固件包写入失败。请检查 update 文件夹是否可写、固件包是否完整。</source>
        <translation>Falha ao gravar o pacote de firmware. Verifique se a pasta update permite gravação e se o pacote está íntegro.</translation>
    </message>
    <message>
        <source>图片无法转换,文件未保存。请选择其他图片。</source>
        <translation>Não foi possível converter a imagem; nada foi salvo. Escolha outra imagem.</translation>
    </message>
    <message>
        <source>最新的固件包中没有启动标志条目,标志未写入。请换用带有启动标志的固件包。</source>
        <translation>O pacote de firmware mais recente não tem uma entrada de logótipo de arranque, por isso o logótipo não foi escrito. Use um pacote que contenha um logótipo de arranque.</translation>
    </message>
    <message>
        <source>截图需要开启窗口合成的桌面。没有合成管理器时截图框只显示黑色,保存将转换所选图片。</source>
        <translation>A captura precisa de um ambiente de trabalho com composição, e nenhum está ativo. A moldura de captura aparece preta e Guardar converte a imagem escolhida em vez da área da moldura.</translation>
    </message>
    <message>
        <source>请先打开一张图片(文件 → 打开),再保存。</source>
        <translation>Abra primeiro uma imagem (Arquivo → Abrir) e depois salve.</translation>
    </message>
    <message>
        <source>无法读取图片 %1。请选择 PNG、JPEG、GIF、BMP 或 XPM 图片。</source>
        <translation>Não é possível ler a imagem %1. Escolha uma imagem PNG, JPEG, GIF, BMP ou XPM.</translation>
    </message>
    <message>
        <source>无法在 %1 中创建临时工作文件夹: %2。图片无法转换。请确认临时文件夹可写,然后重新启动本程序。</source>
        <translation>Não é possível criar a pasta de trabalho temporária em %1: %2. As imagens não podem ser convertidas. Verifique se a pasta temporária permite gravação e inicie o programa novamente.</translation>
    </message>
    <message>
        <source>图片太大: %1 x %2 像素。最多可用 %3 百万像素,请选择较小的图片。</source>
        <translation>A imagem é grande demais: %1 x %2 pixels. São aceitos no máximo %3 megapixels; escolha uma imagem menor.</translation>
    </message>
    <message>
        <source>%1 不是普通文件,不能作为图片打开。请选择一个图片文件。</source>
        <translation>%1 não é um arquivo comum e não pode ser aberto como imagem. Escolha um arquivo de imagem.</translation>
    </message>
</context>
</TS>
