<!DOCTYPE html>
<html>
<head>
<meta http-equiv="Content-Type" content="text/html; charset=utf-8">
<meta name="viewport" content="width=device-width, initial-scale=1">
<title>[[title]]</title>
</head>
<body style="margin:0; padding:0; background-color:#eef1f4;">
<table role="presentation" width="100%" cellspacing="0" cellpadding="0" border="0" style="background-color:#eef1f4;">
<tr><td align="center" style="padding:24px 12px;">
<table role="presentation" width="600" cellspacing="0" cellpadding="0" border="0" style="width:100%; max-width:600px; background-color:#ffffff; border:1px solid #dfe3e6; border-radius:6px;">
<tr><td style="padding:18px 28px; background-color:#1d6fb8; border-radius:6px 6px 0 0; font-family:Verdana, Arial, sans-serif; font-size:13px; color:#ffffff;">
<strong>[[from_name]]</strong> shared an article with you
</td></tr>
<tr><td style="padding:22px 28px 6px 28px; font-family:Verdana, Arial, sans-serif; font-size:13px; line-height:20px; color:#232629;">
<table role="presentation" width="100%" cellspacing="0" cellpadding="0" border="0">
<tr><td style="padding:12px 16px; background-color:#f6f8fa; border-left:3px solid #1d6fb8; font-family:Verdana, Arial, sans-serif; font-size:13px; line-height:20px; color:#232629;">
[[personal_message]]
</td></tr>
</table>
</td></tr>
<tr><td style="padding:18px 28px 4px 28px; font-family:Georgia, 'Times New Roman', serif; font-size:21px; line-height:28px; font-weight:bold; color:#1b1f23;">
[[title]]
</td></tr>
<tr><td style="padding:8px 28px 24px 28px; font-family:Verdana, Arial, sans-serif; font-size:13px; line-height:21px; color:#232629;">
[[description]]
</td></tr>
</table>
</td></tr>
</table>
<!-- The body and document are left open: the program appends its notice after this text. -->
