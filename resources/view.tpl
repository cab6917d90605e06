<!DOCTYPE html>
<html>
<head>
<meta charset="utf-8">
<title>[[title]]</title>
<style type="text/css">
body { font-family: sans-serif; font-size: 10.5pt; color: #232629; background-color: #ffffff; }
a { color: #1d6fb8; text-decoration: none; }
h1 { font-size: 17pt; font-weight: bold; margin: 0 0 4px 0; }
p.when { font-size: 9pt; color: #7f8c8d; margin: 0; }
td.head { border-bottom: 1px solid #dfe3e6; padding-bottom: 10px; }
div.desc { line-height: 150%; }
p.foot { font-size: 8pt; color: #a0a8ad; margin: 24px 0 0 0; }
</style>
</head>
<body>
<table width="100%" cellspacing="0" cellpadding="10">
<tr><td class="head">
<h1><a href="[[link]]">[[title]]</a></h1>
<p class="when">[[date]] &middot; [[time]]</p>
</td></tr>
<tr><td>
<div class="desc">[[desc]]</div>
<p class="foot">Shown by [[app]]</p>
</td></tr>
</table>
</body>
</html>
